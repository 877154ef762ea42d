// Whom the launcher trusts for its updates: the minisign public keys compiled in with the CMake
// cache variable MENU_TRUSTED_KEYS (a list, so that the vendor can replace a key while launchers
// with the old one are still about). A build without keys trusts its network as before. A
// build with keys also installs only files whose length and SHA-256 the signed document names.
#pragma once

#include "core/LauncherSettings.h"
#include "formats/Minisign.h"
#include "formats/Result.h"

#include <QString>

#include <vector>

namespace menu::core {

// The compiled-in keys (empty in a build without keys).
const std::vector<formats::MinisignKey> &compiledKeys();

// A file's length and SHA-256 (lower-case hex), as AktLen and AktSha256 announce them.
struct FileDigest {
    qint64 length = 0;
    QString sha256;
};
Result<FileDigest> digestOf(const QString &path);

} // namespace menu::core
