// A named section of an ELF file (32 or 64 bits, little-endian), found through the section
// headers. The launcher keeps its own version information in such a section, where a Windows
// program keeps it among its resources.
#pragma once

#include "formats/ByteSource.h"

#include <cstdint>
#include <optional>

namespace menu::formats {

// The name of the section that holds the launcher's version information.
inline constexpr char kVersionSectionName[] = ".orvan_version";

// The contents of the first section called name (at most maxBytes of it), or nothing when the
// source is not such an ELF file, has no such section, or is damaged.
std::optional<QByteArray> elfSection(const ByteSource &source, const QByteArray &name,
                                     std::uint32_t maxBytes);

} // namespace menu::formats
