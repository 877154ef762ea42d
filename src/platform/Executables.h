// Version information and icons of program files, as the system gives them: the raw version
// block of a file (what GetFileVersionInfoW loads on Windows) and the first icon of a file at
// the large-icon size (what ExtractIconW gives).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace menu::platform {

// The side of the large icons the buttons show.
inline constexpr int kLargeIconSize = 32;

struct VersionBlock {
    enum class Status {
        Loaded,        // bytes hold the file's VS_VERSIONINFO block
        NoVersionInfo, // the file exists but holds no (readable) version information
        NoFile,        // no regular file at the path (a directory does not count)
    };
    Status status = Status::NoFile;
    QByteArray bytes;
};

class VersionReader {
  public:
    virtual ~VersionReader() = default;
    virtual VersionBlock load(const QString &path) const = 0;
};

class IconReader {
  public:
    virtual ~IconReader() = default;
    // The first icon of the file as a kLargeIconSize square, 32-bit with alpha; a null image
    // when the file has no usable icon.
    virtual QImage largeIcon(const QString &path) const = 0;
};

} // namespace menu::platform
