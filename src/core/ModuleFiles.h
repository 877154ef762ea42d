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
    QString section;       // "Menu1" ... "Menu99"
    QString name;          // Naz
    QString extra;         // Dop
    QString target;        // full local path of Exe (drive prefix applied)
    bool exeGiven = false; // Exe is not empty
};

// The module files of the package in <drive>/ORVAN: one entry as a click finds it again. Which
// sections make buttons and entries is configuredButtons' (MenuModel.h).
class ModuleFiles {
  public:
    ModuleFiles(const platform::ProfileStore &store, QString drivePrefix);

    QString drivePrefix() const { return drivePrefix_; }
    QString filePath(const QString &code) const;

    // Found only when the module file exists and the section has the key Exe (even empty).
    std::optional<ModuleEntry> entry(const QString &code, const QString &section) const;

  private:
    using Snapshot = std::shared_ptr<const formats::ProfileIndex>;
    std::optional<ModuleEntry> entryIn(const Snapshot &file, const QString &section) const;

    const platform::ProfileStore &store_;
    QString drivePrefix_;
};

} // namespace menu::core
