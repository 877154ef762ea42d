// Where the launcher and its package live. On Windows the package is <drive>\ORVAN with the
// launcher in <drive>\ORVAN\MENU\; here the directory that holds ORVAN plays the drive.
#pragma once

#include <QString>

#include <optional>

namespace menu::core {

// The directory of the executable, with its trailing separator (menu.ini lives there).
QString programDirOf(const QString &executablePath);

// The part of the executable's path before its first "/ORVAN/MENU/" (compared without case),
// or nothing when the executable is not installed in or below such a directory.
std::optional<QString> drivePrefixOf(const QString &executablePath);

// True when the executable runs from <drive>/ORVAN/MENU/ or below, as it must.
inline bool installationAccepted(const QString &executablePath)
{
    return drivePrefixOf(executablePath).has_value();
}

// The local path of a package path written Windows-style below the drive
// ("\ORVAN\TAV\tav.exe"): backslashes become separators, and where the exact path does not
// exist each component is matched without case, as files copied from Windows keep any case.
QString packagePath(const QString &drivePrefix, const QString &windowsPath);

// The package directory as shown to the user: drive prefix + "/ORVAN".
QString packageDir(const QString &drivePrefix);

// The configuration file of a module: <drive>\ORVAN\orvan-<code>.ini.
QString moduleFilePath(const QString &drivePrefix, const QString &code);

} // namespace menu::core
