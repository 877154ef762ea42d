// The user's own cache of what the launcher learnt from slow drives. Nothing in it is trusted
// further than its owner: a file someone else could have written is not read.
#pragma once

#include "formats/Result.h"

#include <QByteArray>
#include <QString>

namespace menu::platform {

// The launcher's directory in the user's cache directory (not created here).
QString userCacheDirectory();

// The whole content of a regular file at path that only this user can have written: owned by
// the user and writable by nobody else (links are not followed). EPERM for anyone else's
// file, EFBIG for one above maxBytes.
Result<QByteArray> readOwnFile(const QString &path, qint64 maxBytes);

// Replaces the file at path with bytes, readable and writable by the user only; the directory
// is made (private) when missing.
Status writeOwnFile(const QString &path, const QByteArray &bytes);

} // namespace menu::platform
