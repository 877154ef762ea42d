// Feeds arbitrary files to the profile engine. The first bytes choose the section, the key
// and the value; the rest is the file. After an update the key must read back as written
// (as a reader sees it), and every other key that read before must read the same after. The
// index answers every probe as the scan does.
#include "formats/ProfileText.h"

#include <QByteArrayList>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using menu::formats::profileEdit;
using menu::formats::ProfileIndex;
using menu::formats::profileLookup;

const char *const kNames[] = {"A",        "a", "Menu1", "OPTIONS", " b ",
                              "\xC5\xA1", "k", "Exe",   "[x",      "c]"};
const char *const kValues[] = {"1",        "",    " q ",         "\"x\"", "\xC5\xA1\xC4\x8D",
                               "\xD0\xB6", "a=b", "\xE2\x82\xAC"};

QString pick(const char *const *names, std::size_t count, std::uint8_t byte)
{
    return QString::fromUtf8(names[byte % count]);
}

// Names as the engine compares them: without surrounding spaces, tabs and form feeds.
QString blankTrimmed(QString name)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f'; };
    while (!name.isEmpty() && blank(name.front()))
        name.remove(0, 1);
    while (!name.isEmpty() && blank(name.back()))
        name.chop(1);
    return name;
}

// The names that occur in the file, as a reader may ask for them.
std::vector<std::pair<QString, QString>> probes(const QByteArray &file)
{
    std::vector<std::pair<QString, QString>> found;
    QString section;
    const QList<QByteArray> lines = file.split('\n');
    for (qsizetype i = 0; i < lines.size() && found.size() < 32; ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.startsWith('[') && line.contains(']'))
            section = QString::fromLatin1(line.mid(1, line.lastIndexOf(']') - 1));
        else if (const qsizetype eq = line.indexOf('='); eq > 0 && !section.isEmpty())
            found.emplace_back(section, QString::fromLatin1(line.left(eq)));
    }
    return found;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const QString section = pick(kNames, std::size(kNames), data[0]);
    const QString key = pick(kNames, std::size(kNames), data[1]);
    QString value = pick(kValues, std::size(kValues), data[2]);
    if (data[2] & 0x80)
        value = value.repeated(300); // past the length limit
    const QByteArray file(reinterpret_cast<const char *>(data + 3),
                          static_cast<qsizetype>(size - 3));

    auto before = probes(file);
    for (const char *name : kNames) { // neighbours of the key written
        before.emplace_back(section, QString::fromUtf8(name));
        before.emplace_back(QString::fromUtf8(name), key);
    }
    std::vector<std::optional<QString>> values;
    const ProfileIndex index(file);
    for (const auto &[s, k] : before) {
        values.push_back(profileLookup(file, s, k));
        if (index.lookup(s, k) != values.back())
            std::abort();
    }

    const auto edit = profileEdit(file, section, key, value);
    if (!edit.ok()) {
        if (edit.bytes != file)
            std::abort();
        return 0;
    }
    const auto expected =
        profileLookup("[s]\nk=" + value.toUtf8(), QStringLiteral("s"), QStringLiteral("k"));
    if (profileLookup(edit.bytes, section, key) != expected)
        std::abort();
    for (std::size_t i = 0; i < before.size(); ++i) {
        const auto &[s, k] = before[i];
        if (blankTrimmed(s).compare(blankTrimmed(section), Qt::CaseInsensitive) == 0 &&
            blankTrimmed(k).compare(blankTrimmed(key), Qt::CaseInsensitive) == 0)
            continue; // the key written

        if (profileLookup(edit.bytes, s, k) != values[i])
            std::abort();
    }
    return 0;
}
