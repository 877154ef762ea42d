#include "core/Trust.h"

#include "core/Texts.h"
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

QString uncheckedFileRefusal(const Announcement &announced,
                             std::span<const formats::MinisignKey> keys)
{
    if (keys.empty() || (announced.length && !announced.sha256.isEmpty()))
        return {};
    return texts::fileChecksMissing(announced.file);
}

Result<FileDigest> digestOf(const QString &path)
{
    Result<platform::ReadOnlyFile> file = platform::ReadOnlyFile::open(path);
    if (!file.ok())
        return file.failure();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (std::uint64_t offset = 0; offset < file->size();) {
        const auto length = static_cast<std::size_t>(
            std::min<std::uint64_t>(file->size() - offset, static_cast<std::uint64_t>(block.size())));
        if (!file->readAt(offset, block.data(), length))
            return Failure::of(std::errc::io_error, path);
        hash.addData(QByteArrayView(block.constData(), static_cast<qsizetype>(length)));
        offset += length;
    }
    return FileDigest{static_cast<qint64>(file->size()), QString::fromLatin1(hash.result().toHex())};
}

QString announcedFileMismatch(const QString &path, const Announcement &announced)
{
    if (!announced.length && announced.sha256.isEmpty())
        return {};
    const Result<FileDigest> digest = digestOf(path);
    if (!digest.ok())
        return texts::documentNotRead(digest.failure());
    if (announced.length && digest->length != *announced.length)
        return texts::fileLengthWrong(announced.file, *announced.length, digest->length);
    if (!announced.sha256.isEmpty() &&
        announced.sha256.compare(digest->sha256, Qt::CaseInsensitive) != 0)
        return texts::fileHashWrong(announced.file, announced.sha256, digest->sha256);
    return {};
}

} // namespace menu::core
