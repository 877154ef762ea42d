// The version information of program files (a VS_VERSIONINFO block): finding the block in a
// program file and one value of one of its string tables.
#pragma once

#include "formats/ByteSource.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace menu::formats {

// The string tables the launcher reads: Slovak with code page 1250 (the package's programs and
// the launcher), and US English Unicode (the Team Viewer program).
inline constexpr char kSlovakTable[] = "041B04E2";
inline constexpr char kEnglishTable[] = "040904B0";

// The text of StringFileInfo\<table>\<key> in a VS_VERSIONINFO block, up to its terminating
// zero; names are compared without case. Nothing when the block has no such value or is
// damaged.
std::optional<QString> versionValue(const QByteArray &block, const QString &table,
                                    const QString &key);

// The VS_VERSIONINFO block of a program file: the version resource of a PE image, or the
// version section of an ELF file (the launcher's own). Cut to the length its root node gives;
// nothing when there is none or its root node is damaged.
std::optional<QByteArray> findVersionBlock(const ByteSource &source);

} // namespace menu::formats
