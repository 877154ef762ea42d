#include "core/Trust.h"

#include "platform/Files.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <algorithm>

namespace menu::core {

namespace {
// The key texts MENU_TRUSTED_KEYS gave at configure time, one string per key.
const char *const kKeyTexts[] = {
#include "trusted-keys.inc"
    nullptr};
} // namespace

const std::vector<formats::MinisignKey> &compiledKeys()
{
    static const std::vector<formats::MinisignKey> keys = [] {
        std::vector<formats::MinisignKey> parsed;
        for (const char *const *text = kKeyTexts; *text != nullptr; ++text) {
            // The build refuses a key that does not parse, so none is dropped here.
            if (auto key = formats::parseMinisignKey(QByteArrayView(*text)))
                parsed.push_back(*key);
        }
        return parsed;
    }();
    return keys;
}

Result<FileDigest> digestOf(const QString &path)
{
    Result<platform::ReadOnlyFile> file = platform::ReadOnlyFile::open(path);
    if (!file.ok())
        return file.failure();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (std::uint64_t offset = 0; offset < file->size();) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(
            file->size() - offset, static_cast<std::uint64_t>(block.size())));
        if (!file->readAt(offset, block.data(), length))
            return Failure::of(std::errc::io_error, path);
        hash.addData(QByteArrayView(block.constData(), static_cast<qsizetype>(length)));
        offset += length;
    }
    return FileDigest{static_cast<qint64>(file->size()),
                      QString::fromLatin1(hash.result().toHex())};
}

} // namespace menu::core
