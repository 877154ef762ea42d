// Where the launcher and its package live. On Windows the package is <drive>\ORVAN with the
// launcher in <drive>\ORVAN\MENU\; here the directory that holds ORVAN plays the drive.
#pragma once

#include "platform/Files.h"

#include <QHash>
#include <QString>

#include <cstdint>

#include <mutex>
#include <optional>

namespace menu::core {

// The installation's directory MENU, with its trailing separator (menu.ini lives there): the
// executable's own directory, or MENU for a launcher in a version folder MENU/versions/<name>/.
QString programDirOf(const QString &executablePath);
// The program that starts the installation's current launcher: the starter in MENU, of the
// executable's own name (the executable itself in an installation without versions).
QString starterPathOf(const QString &executablePath);
// The installation's current version (the folder MENU/versions/current names), when this
// launcher runs from another version folder: a newer one has been installed since it started.
std::optional<QString> switchedVersion(const QString &executablePath);

// How a path names its drive. Windows: the drive is the path's own "X:", and ORVAN must lie at
// its root (a share \\server\share has no drive). Here: any directory that holds ORVAN/MENU.
enum class PathRules { Unix, Windows };
#ifdef Q_OS_WIN
inline constexpr PathRules kNativePathRules = PathRules::Windows;
#else
inline constexpr PathRules kNativePathRules = PathRules::Unix;
#endif

// The drive prefix of an executable installed in or below <drive>/ORVAN/MENU/ (compared
// without case; "/" or "\\" separators), or nothing when it is not installed there. Unix:
// the part before the first "/ORVAN/MENU/".
std::optional<QString> drivePrefixOf(const QString &executablePath,
                                     PathRules rules = kNativePathRules);

// True when the executable runs from <drive>/ORVAN/MENU/ or below, as it must.
inline bool installationAccepted(const QString &executablePath, PathRules rules = kNativePathRules)
{
    return drivePrefixOf(executablePath, rules).has_value();
}

// The local path of a package path written Windows-style below the drive
// ("\ORVAN\TAV\tav.exe"): backslashes become separators, and where the exact path does not
// exist each component is matched without case, as files copied from Windows keep any case.
// nowNs is the time on the clock that stamps files (see platform::entryWithoutCase).
QString packagePath(const QString &drivePrefix, const QString &windowsPath,
                    std::int64_t nowNs = platform::stampClockNs());

// The names one pass over many package paths has matched without case. A menu's targets lie in
// a few folders, and each folder's name needs looking at once for the pass, not once per
// target: on a network drive that is a round trip each. Safe from several workers at once.
class FolderMatches {
  public:
    std::optional<QString> entryWithoutCase(const QString &dir, const QString &name,
                                            std::int64_t nowNs);

  private:
    std::mutex mutex_;
    QHash<QString, std::optional<QString>> known_; // by directory and name
};

// packagePath for a path whose exact form is known to be missing: each component is matched
// without case, through matches when given.
QString matchedPackagePath(const QString &drivePrefix, const QString &windowsPath,
                           std::int64_t nowNs = platform::stampClockNs(),
                           FolderMatches *matches = nullptr);

// The package directory as shown to the user: on Windows the drive + "/ORVAN"; here the
// directory as the executable's path names it ("/srv/Orvan" when that is its case). Empty when
// the executable is not installed in a package.
QString packageDirOf(const QString &executablePath, PathRules rules = kNativePathRules);

// The configuration file of a module: <drive>\ORVAN\orvan-<code>.ini.
QString moduleFilePath(const QString &drivePrefix, const QString &code);

} // namespace menu::core
