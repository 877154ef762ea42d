// The first icon of a program or icon file, cut out of the file as a one-image .ico holding
// the image nearest to the wanted size.
#pragma once

#include "formats/ByteSource.h"

#include <QByteArray>

#include <optional>

namespace menu::formats {

// A one-image .ico holding the image nearest to side × side of the source's first icon: the
// first icon group of a PE image, or the icon directory of an .ico file. Nothing when there
// is none or it is damaged.
std::optional<QByteArray> firstIconFile(const ByteSource &source, int side);

} // namespace menu::formats
