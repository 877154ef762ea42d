#include "core/UniqueFile.h"

#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>

namespace menu::core {

int createUniqueFile(const QByteArray &prefix, const QByteArray &suffix, QByteArray &path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = prefix + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + suffix;
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace menu::core
