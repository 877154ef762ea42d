#include "core/VersionInfo.h"

#include "formats/VersionBlock.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace menu::core {

namespace {

// The file's block, or the result that says why there is none.
std::optional<QByteArray> loadBlock(const platform::VersionReader &reader, const QString &path,
                                    VersionResult &failure)
{
    platform::VersionBlock block = reader.load(path);
    switch (block.status) {
    case platform::VersionBlock::Status::NoFile:
        failure = VersionResult::NoFile;
        return std::nullopt;
    case platform::VersionBlock::Status::NoVersionInfo:
        failure = VersionResult::NoVersionInfo;
        return std::nullopt;
    case platform::VersionBlock::Status::Loaded:
        break;
    }
    return std::move(block.bytes);
}

} // namespace

VersionText readVersionValue(const platform::VersionReader &reader, const QString &path,
                             const QString &table, const QString &key)
{
    VersionText read;
    const auto block = loadBlock(reader, path, read.result);
    if (!block)
        return read;
    const auto value = formats::versionValue(*block, table, key);
    if (!value) {
        read.result = VersionResult::NoValue;
        return read;
    }
    read.result = VersionResult::Found;
    read.text = *value;
    return read;
}

VersionText readFileVersion(const platform::VersionReader &reader, const QString &path)
{
    return readVersionValue(reader, path, QString::fromLatin1(formats::kSlovakTable),
                            QStringLiteral("FileVersion"));
}

VersionText readProductVersion(const platform::VersionReader &reader, const QString &path)
{
    return readVersionValue(reader, path, QString::fromLatin1(formats::kEnglishTable),
                            QStringLiteral("ProductVersion"));
}

LauncherVersion readLauncherVersion(const platform::VersionReader &reader, const QString &path)
{
    LauncherVersion read;
    const auto block = loadBlock(reader, path, read.result);
    if (!block)
        return read;
    const QString table = QString::fromLatin1(formats::kSlovakTable);
    read.result = VersionResult::NoValue;
    const auto version = formats::versionValue(*block, table, QStringLiteral("FileVersion"));
    if (!version)
        return read;
    read.version = *version;
    const auto date = formats::versionValue(*block, table, QStringLiteral("FileDatum"));
    if (!date)
        return read;
    read.date = *date;
    read.result = VersionResult::Found;
    return read;
}

bool isLaterVersion(const QString &announced, const QString &installed)
{
    // QString compares UTF-16 code units, with a prefix before the longer text.
    return QString::compare(announced, installed, Qt::CaseSensitive) > 0;
}

namespace {
// The dotted whole numbers of a version text; nothing unless every part is one.
std::optional<std::vector<quint64>> versionNumbers(const QString &text)
{
    std::vector<quint64> numbers;
    for (const QString &part : text.trimmed().split(QLatin1Char('.'))) {
        bool ok = !part.isEmpty() && part.size() <= 9;
        for (const QChar c : part)
            ok = ok && c >= u'0' && c <= u'9';
        if (!ok)
            return std::nullopt;
        numbers.push_back(part.toULongLong());
    }
    return numbers;
}
} // namespace

bool isNewerRelease(const QString &announced, const QString &running)
{
    auto later = versionNumbers(announced);
    auto now = versionNumbers(running);
    if (!later || !now)
        return false;
    // 1.2 and 1.2.0 are the same release.
    const std::size_t parts = std::max(later->size(), now->size());
    later->resize(parts, 0);
    now->resize(parts, 0);
    return *later > *now;
}

} // namespace menu::core
