// The module configuration files orvan-<code>.ini of the package: which programs and
// documents each module offers.
#pragma once

#include "platform/Services.h"

#include <QString>

#include <optional>
#include <vector>

namespace menu::core {

// One configured entry of a module file.
struct ModuleEntry {
    QString section; // "Menu1" ... "Menu99"
    QString name;    // Naz
    QString extra;   // Dop
    QString target;  // full local path of Exe (drive prefix applied)
    bool exeGiven = false; // Exe is not empty
};

// One module file as a single read found it: its buttons and each button's submenu entries.
struct ModuleMenu {
    std::vector<ModuleEntry> buttons;
    std::vector<std::vector<ModuleEntry>> submenus; // one per button, in the same order
};

// The module files of the package in <drive>/ORVAN.
class ModuleFiles {
  public:
    ModuleFiles(const platform::ProfileStore &store, QString drivePrefix);

    QString drivePrefix() const { return drivePrefix_; }
    QString filePath(const QString &code) const;

    // Found only when the module file exists and the section has the key Exe (even empty).
    std::optional<ModuleEntry> entry(const QString &code, const QString &section) const;

    // The buttons of a module: Menu1, Menu2, ... up to Menu9, ending at the first section whose
    // Exe is missing or empty. Empty for a missing module file.
    std::vector<ModuleEntry> buttons(const QString &code) const;
    // The submenu entries of button b (1..9): Menu<b>1 ... Menu<b>9, ending at the first
    // section without an Exe key; a present but empty Exe is an entry (target: drive prefix).
    std::vector<ModuleEntry> submenuEntries(const QString &code, int button) const;
    // Both from one read of the file, so that a file changed meanwhile cannot mix two states.
    ModuleMenu menu(const QString &code) const;

  private:
    using Snapshot = std::shared_ptr<const formats::ProfileIndex>;
    std::optional<ModuleEntry> entryIn(const Snapshot &file, const QString &section) const;
    std::vector<ModuleEntry> buttonsIn(const Snapshot &file) const;
    std::vector<ModuleEntry> submenuIn(const Snapshot &file, int button) const;

    const platform::ProfileStore &store_;
    QString drivePrefix_;
};

} // namespace menu::core
