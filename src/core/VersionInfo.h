// Version texts of program files: one value of one string table of a file's version
// information, taken unchanged. The tables and keys are fixed: "041B04E2" (Slovak, code page
// 1250) for the package's programs and the launcher, "040904B0" (US English, Unicode) for the
// Team Viewer program. No other table is tried and the translation list is not consulted.
// Versions are texts, compared code unit by code unit and never read as numbers.
#pragma once

#include "platform/Executables.h"

#include <QString>

namespace menu::core {

enum class VersionResult : unsigned {
    Found = 0,         // the value was found
    NoValue = 1,       // version information without that table or value
    NoVersionInfo = 2, // no version information at all (also any file that is no program)
    NoFile = 3,        // no file at the path (a directory does not count)
};

struct VersionText {
    VersionResult result = VersionResult::NoFile;
    QString text; // empty unless Found
};

// Any value of any string table (menu-doctor asks for them all).
VersionText readVersionValue(const platform::VersionReader &reader, const QString &path,
                             const QString &table, const QString &key);

// FileVersion of the Slovak table: the package's programs.
VersionText readFileVersion(const platform::VersionReader &reader, const QString &path);
// ProductVersion of the English table: the Team Viewer program.
VersionText readProductVersion(const platform::VersionReader &reader, const QString &path);

// The launcher's own FileVersion and FileDatum (Slovak table). Found only when both are there;
// a FileVersion without FileDatum gives NoValue with the version set.
struct LauncherVersion {
    VersionResult result = VersionResult::NoFile;
    QString version;
    QString date;
};
LauncherVersion readLauncherVersion(const platform::VersionReader &reader, const QString &path);

// True when announced is a later version than installed: compared as texts code unit by code
// unit, a prefix before the longer text, the empty text first. "1.0.0.10" is not later than
// "1.0.0.9".
bool isLaterVersion(const QString &announced, const QString &installed);

// The safety rule before installing the launcher's own package: announced is a later release
// than running, compared as dotted whole numbers ("1.0.0.10" is later than "1.0.0.9"). A text
// that is not dotted whole numbers is never later.
bool isNewerRelease(const QString &announced, const QString &running);

} // namespace menu::core
