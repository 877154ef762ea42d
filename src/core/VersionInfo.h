// Version texts of program files: one value of one string table of a file's version
// information, taken unchanged. The tables and keys are fixed: "041B04E2" (Slovak, code page
// 1250) for the package's programs and the launcher, "040904B0" (US English, Unicode) for the
// Team Viewer program. No other table is tried and the translation list is not consulted.
#pragma once

#include "core/ByteSource.h"
#include "platform/Executables.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace menu::core {

enum class VersionResult : unsigned {
    Found = 0,         // the value was found and is returned
    NoValue = 1,       // version information without that table or value
    NoVersionInfo = 2, // no version information at all (also any file that is no program)
    NoFile = 3,        // no file at the path (a directory does not count)
};

inline constexpr char kSlovakTable[] = "041B04E2";
inline constexpr char kEnglishTable[] = "040904B0";

// FileVersion of table 041B04E2. The text is cleared first and stays empty unless Found.
VersionResult ReadFileVersion(const QString &path, QString &version);
VersionResult ReadFileVersion(const platform::VersionReader &reader, const QString &path,
                              QString &version);

// ProductVersion of table 040904B0. The text is cleared first and stays empty unless Found.
VersionResult ReadProductVersion(const QString &path, QString &version);
VersionResult ReadProductVersion(const platform::VersionReader &reader, const QString &path,
                                 QString &version);

// FileVersion and then FileDatum of table 041B04E2, for the launcher itself. Both found:
// both set, Found. Only FileVersion: version set, date untouched, NoValue. No FileVersion:
// neither touched, NoValue. The caller clears both beforehand.
VersionResult ReadExeVersion(const QString &path, QString &version, QString &date);
VersionResult ReadExeVersion(const platform::VersionReader &reader, const QString &path,
                             QString &version, QString &date);

// The text of StringFileInfo\<table>\<key> in a VS_VERSIONINFO block, up to its terminating
// zero; names are compared without case. Nothing when the block has no such value or is
// damaged.
std::optional<QString> versionValue(const QByteArray &block, const QString &table,
                                    const QString &key);

// The VS_VERSIONINFO block of a program file: the version resource of a PE image, or the
// version section of an ELF file (the launcher's own). Cut to the length its root node gives;
// nothing when there is none or its root node is damaged.
std::optional<QByteArray> findVersionBlock(const ByteSource &source);

} // namespace menu::core
