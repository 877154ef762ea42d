// The first icon of a program or icon file at the large-icon size. The image nearest that size
// is cut out of the file into a one-image icon file and decoded by Qt's ICO reader, so that
// all the pixel formats of icons (PNG, 32-bit with alpha, palettes with a mask) are handled in
// one place.
#pragma once

#include "core/ByteSource.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace menu::core {

// A one-image .ico holding the image nearest to side × side of the source's first icon: the
// first icon group of a PE image, or the icon directory of an .ico file. Nothing when there
// is none or it is damaged.
std::optional<QByteArray> firstIconFile(const ByteSource &source, int side);

// The image of a one-image .ico as a side × side 32-bit image with alpha (pixels of the mask
// transparent where the image has no alpha); a null image when it cannot be decoded.
QImage decodeIconFile(const QByteArray &icon, int side);

// Both of the above on the file at path.
QImage loadFirstIcon(const QString &path, int side);

} // namespace menu::core
