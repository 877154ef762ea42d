// Icon images as the buttons show them, decoded by Qt's ICO reader, so that all the pixel
// formats of icons (PNG, 32-bit with alpha, palettes with a mask) are handled in one place.
#pragma once

#include <QByteArray>
#include <QImage>

namespace menu::platform {

// The image of a one-image .ico as a side × side 32-bit image with alpha (pixels of the mask
// transparent where the image has no alpha); a null image when it cannot be decoded.
QImage decodeIconFile(const QByteArray &icon, int side);

// As decodeIconFile, but each icon is decoded once: programs of a package mostly share a few
// icons, and images of the same icon share their pixels (and their cache key).
QImage sharedIconImage(const QByteArray &icon, int side);

} // namespace menu::platform
