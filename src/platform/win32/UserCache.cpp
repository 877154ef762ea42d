#include "platform/UserCache.h"

#include "platform/AtomicFile.h"
#include "platform/Files.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace menu::platform {

QString userCacheDirectory()
{
    // %LOCALAPPDATA%: the user's own, not roaming with the profile.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return base.isEmpty() ? QString() : base + QStringLiteral("/orvan-menu");
}

Result<QByteArray> readOwnFile(const QString &path, qint64 maxBytes)
{
    // The local application data of a user is closed to other users by its ACL; the owner of
    // the file itself is not asked.
    return readWholeFile(path, maxBytes);
}

Status writeOwnFile(const QString &path, const QByteArray &bytes)
{
    if (const QString dir = QFileInfo(path).absolutePath(); !isDirectory(dir)) {
        if (const Status made = makeDirectories(dir); !made.ok())
            return made;
    }
    AtomicFile::Options options;
    options.keepMode = false;
    return replaceFileContent(path, bytes, options);
}

} // namespace menu::platform
