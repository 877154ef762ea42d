#include "core/ByteSource.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace menu::core {

std::optional<QByteArray> MemoryByteSource::read(std::uint64_t offset, std::size_t length) const
{
    const auto total = static_cast<std::uint64_t>(bytes_.size());
    if (offset > total || length > total - offset)
        return std::nullopt;
    return bytes_.mid(static_cast<qsizetype>(offset), static_cast<qsizetype>(length));
}

std::unique_ptr<FileByteSource> FileByteSource::open(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    // Without O_NONBLOCK a pipe in place of a program would hold the caller until a writer came.
    int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return nullptr;
    }
    // The constructor cannot fail, so the descriptor changes owner here and nowhere else.
    return std::unique_ptr<FileByteSource>(
        new FileByteSource(fd, static_cast<std::uint64_t>(info.st_size)));
}

FileByteSource::~FileByteSource()
{
    ::close(fd_);
}

std::optional<QByteArray> FileByteSource::read(std::uint64_t offset, std::size_t length) const
{
    if (offset > size_ || length > size_ - offset)
        return std::nullopt;
    QByteArray bytes(static_cast<qsizetype>(length), Qt::Uninitialized);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd_, bytes.data() + done, length - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt; // an error, or the file shrank under us
        done += static_cast<std::size_t>(got);
        bytesRead_ += static_cast<std::uint64_t>(got);
    }
    return bytes;
}

} // namespace menu::core
