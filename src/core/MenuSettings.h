// The launcher's settings file menu.ini and the module configuration files orvan-<code>.ini.
#pragma once

#include "platform/Services.h"

#include <QString>

#include <vector>

namespace menu::core {

// menu.ini beside the executable. Every call answers from the file as it is at that moment.
class MenuIni {
public:
    MenuIni(platform::ProfileStore &store, QString programDir);

    QString path() const { return path_; }
    // The stored value; empty when the file, the section or the key is missing. Never fails.
    QString MenuIniRead(const QString &section, const QString &key) const;
    // Creates the file, section and key as needed; a failure says why and leaves the file as
    // it was.
    Status MenuIniWrite(const QString &section, const QString &key, const QString &value);

private:
    platform::ProfileStore &store_;
    QString path_;
};

// One configured entry of a module file.
struct ModuleEntry {
    QString section; // "Menu1" ... "Menu99"
    QString name;    // Naz
    QString extra;   // Dop
    QString target;  // full local path of Exe (drive prefix applied)
};

// The module files of the package in <drive>/ORVAN.
class ModuleFiles {
public:
    ModuleFiles(const platform::ProfileStore &store, QString drivePrefix);

    QString drivePrefix() const { return drivePrefix_; }
    QString filePath(const QString &code) const;

    // Found only when the module file exists and the section has the key Exe (even empty).
    // When found sets name, extra and target; otherwise leaves them untouched.
    bool ModuleEntryRead(const QString &code, const QString &section, QString &name,
                         QString &extra, QString &target) const;

    // The buttons of a module: Menu1, Menu2, ... up to Menu9, ending at the first section whose
    // Exe is missing or empty. Empty for a missing module file.
    std::vector<ModuleEntry> buttons(const QString &code) const;
    // The submenu entries of button b (1..9): Menu<b>1 ... Menu<b>9, ending at the first
    // section without an Exe key; a present but empty Exe is an entry (target: drive prefix).
    std::vector<ModuleEntry> submenuEntries(const QString &code, int button) const;

private:
    const platform::ProfileStore &store_;
    QString drivePrefix_;
};

} // namespace menu::core
