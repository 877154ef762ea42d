#include "core/VersionInfo.h"

#include "formats/ByteSource.h"
#include "formats/ElfSection.h"
#include "formats/VersionBlock.h"
#include "platform/FileByteSource.h"
#include "platform/ProgramFiles.h"
#include "support/PeFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using menu::core::VersionResult;
using namespace menu::test;

namespace {

const menu::platform::FileVersionReader kReader;

menu::core::VersionText fileVersion(const QString &path)
{
    return menu::core::readFileVersion(kReader, path);
}

struct Expected {
    QString path;
    VersionResult fileResult;
    QString fileVersion;
    VersionResult productResult;
    QString productVersion;
};

TEST(VersionInfo, ResultCodesAndTexts)
{
    TempDir dir;
    const QString text = dir.write(QStringLiteral("readme.txt"), "Nie je to program.\n");
    const QString empty = dir.write(QStringLiteral("empty.exe"), QByteArray());
    const QString mzOnly = dir.write(QStringLiteral("mz.exe"), "MZ");
    std::vector<Expected> cases = {
        {peFixture("slovak.exe"), VersionResult::Found, "2.0.1.15", VersionResult::NoValue, ""},
        {peFixture("slovak32.exe"), VersionResult::Found, "2.0.1.15", VersionResult::NoValue, ""},
        {peFixture("english.exe"), VersionResult::NoValue, "", VersionResult::Found, "15.4.6"},
        {peFixture("empty-version.exe"), VersionResult::Found, "", VersionResult::NoValue, ""},
        {peFixture("no-resources.exe"), VersionResult::NoVersionInfo, "",
         VersionResult::NoVersionInfo, ""},
        {peFixture("three-sizes.ico"), VersionResult::NoVersionInfo, "",
         VersionResult::NoVersionInfo, ""},
        {text, VersionResult::NoVersionInfo, "", VersionResult::NoVersionInfo, ""},
        {empty, VersionResult::NoVersionInfo, "", VersionResult::NoVersionInfo, ""},
        {mzOnly, VersionResult::NoVersionInfo, "", VersionResult::NoVersionInfo, ""},
        {QStringLiteral(MENU_PATH), VersionResult::Found, MENU_VERSION_TEXT, VersionResult::NoValue,
         ""},
        {dir.path(), VersionResult::NoFile, "", VersionResult::NoFile, ""},
        {dir.file(QStringLiteral("missing.exe")), VersionResult::NoFile, "", VersionResult::NoFile,
         ""},
    };
#ifndef _WIN32
    // Files that are no regular files must not hang the reader.
    const QString pipe = dir.file(QStringLiteral("pipe.exe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    cases.push_back({pipe, VersionResult::NoVersionInfo, "", VersionResult::NoVersionInfo, ""});
    cases.push_back({QStringLiteral("/dev/zero"), VersionResult::NoVersionInfo, "",
                     VersionResult::NoVersionInfo, ""});
#endif
    for (const Expected &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const menu::core::VersionText version = fileVersion(c.path);
        EXPECT_EQ(version.result, c.fileResult);
        EXPECT_EQ(version.text, c.fileVersion);
        const menu::core::VersionText product = menu::core::readProductVersion(kReader, c.path);
        EXPECT_EQ(product.result, c.productResult);
        EXPECT_EQ(product.text, c.productVersion);
    }
}

struct ExeExpected {
    QString path;
    VersionResult result;
    QString version;
    QString date;
};

TEST(VersionInfo, LauncherVersionNeedsBothVersionAndDate)
{
    const std::vector<ExeExpected> cases = {
        {QStringLiteral(MENU_PATH), VersionResult::Found, MENU_VERSION_TEXT, MENU_BUILD_DATE},
        {peFixture("slovak.exe"), VersionResult::Found, "2.0.1.15", "04.12.2023"},
        {peFixture("slovak32.exe"), VersionResult::Found, "2.0.1.15", "04.12.2023"},
        // FileVersion without FileDatum: the version is given, the result says what is missing.
        {peFixture("empty-version.exe"), VersionResult::NoValue, "", ""},
        {peFixture("english.exe"), VersionResult::NoValue, "", ""},
        {peFixture("no-resources.exe"), VersionResult::NoVersionInfo, "", ""},
        {QStringLiteral("/proc/self/exe"), VersionResult::NoVersionInfo, "", ""},
        {peFixture("missing.exe"), VersionResult::NoFile, "", ""},
    };
    for (const ExeExpected &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const menu::core::LauncherVersion read = menu::core::readLauncherVersion(kReader, c.path);
        EXPECT_EQ(read.result, c.result);
        EXPECT_EQ(read.version, c.version);
        EXPECT_EQ(read.date, c.date);
    }
}

TEST(VersionInfo, AnyValueOfAnyTableByName)
{
    const struct {
        const char *fixture, *table, *key;
        VersionResult result;
        const char *text;
    } cases[] = {
        {"slovak.exe", "041b04e2", "filedatum", VersionResult::Found, "04.12.2023"},
        {"slovak.exe", "040904B0", "ProductVersion", VersionResult::NoValue, ""},
        {"slovak.exe", "041B04E2", "NoSuchKey", VersionResult::NoValue, ""},
        {"english.exe", "040904B0", "ProductVersion", VersionResult::Found, "15.4.6"},
        {"no-resources.exe", "041B04E2", "FileVersion", VersionResult::NoVersionInfo, ""},
        {"missing.exe", "041B04E2", "FileVersion", VersionResult::NoFile, ""},
    };
    for (const auto &c : cases) {
        const menu::core::VersionText read = menu::core::readVersionValue(
            kReader, peFixture(c.fixture), QLatin1String(c.table), QLatin1String(c.key));
        EXPECT_EQ(read.result, c.result) << c.fixture << " " << c.key;
        EXPECT_EQ(read.text, QString::fromUtf8(c.text)) << c.fixture << " " << c.key;
    }
}

TEST(VersionInfo, LauncherCarriesItsBuildDateAsDayMonthYear)
{
    const menu::core::LauncherVersion read =
        menu::core::readLauncherVersion(kReader, QStringLiteral(MENU_PATH));
    ASSERT_EQ(read.result, VersionResult::Found);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}$"))
                    .match(read.date)
                    .hasMatch())
        << read.date.toStdString();
}

// A 200 MB program whose resources lie at its very end, the rest a hole in the file.
QString largeProgram(const TempDir &dir, qint64 size)
{
    QByteArray pe = readAll(peFixture("slovak.exe"));
    const qsizetype entry = sectionEntry(pe, ".rsrc");
    if (entry < 0)
        return {};
    const std::uint32_t rawSize = get32(pe, entry + 16);
    const QByteArray data = pe.mid(get32(pe, entry + 20), rawSize);
    const auto moved = static_cast<std::uint32_t>((size - rawSize) & ~qint64{511});
    set32(pe, entry + 20, moved);
    QFile file(dir.file(QStringLiteral("large.exe")));
    if (!file.open(QIODevice::WriteOnly) || file.write(pe) != pe.size() || !file.resize(size) ||
        !file.seek(moved) || file.write(data) != data.size())
        return {};
    return file.fileName();
}

TEST(VersionInfo, ReadsOnlyThePiecesItNeedsOfALargeProgram)
{
    TempDir dir;
    const qint64 size = 200 * 1024 * 1024;
    const QString path = largeProgram(dir, size);
    ASSERT_FALSE(path.isEmpty());
    ASSERT_EQ(QFileInfo(path).size(), size);

    const auto source = menu::platform::FileByteSource::open(path);
    ASSERT_TRUE(source);
    const auto block = menu::formats::findVersionBlock(*source);
    ASSERT_TRUE(block);
    EXPECT_EQ(menu::formats::versionValue(*block, QStringLiteral("041B04E2"),
                                          QStringLiteral("FileVersion")),
              QStringLiteral("2.0.1.15"));
    EXPECT_LT(source->bytesRead(), 64u * 1024u);

    const menu::core::VersionText version = fileVersion(path);
    EXPECT_EQ(version.result, VersionResult::Found);
    EXPECT_EQ(version.text, QStringLiteral("2.0.1.15"));
}

TEST(VersionInfo, TruncatedProgramsHaveNoVersionInformation)
{
    const QByteArray pe = readAll(peFixture("slovak32.exe"));
    ASSERT_GT(pe.size(), 1024);
    for (qsizetype length = 0; length < pe.size(); ++length) {
        const menu::formats::MemoryByteSource source(pe.left(length));
        const auto block = menu::formats::findVersionBlock(source);
        if (block) {
            // Only a cut behind the version resource may still find it, and then intact.
            EXPECT_EQ(menu::formats::versionValue(*block, QStringLiteral("041B04E2"),
                                                  QStringLiteral("FileDatum")),
                      QStringLiteral("04.12.2023"))
                << length;
        }
    }
    TempDir dir;
    const QString cut = dir.write(QStringLiteral("cut.exe"), pe.left(pe.size() / 2));
    const menu::core::VersionText version = fileVersion(cut);
    EXPECT_EQ(version.result, VersionResult::NoVersionInfo);
    EXPECT_TRUE(version.text.isEmpty());
}

// Damage of the kinds a broken download or a hostile file brings, each made in a copy of
// a good program: the reader then finds no version information, and nothing worse happens.
TEST(VersionInfo, DamagedProgramsHaveNoVersionInformation)
{
    const QByteArray good = readAll(peFixture("slovak.exe"));
    const qsizetype header = peHeader(good);
    const qsizetype rsrc = sectionEntry(good, ".rsrc");
    ASSERT_GT(rsrc, 0);
    const qsizetype root = get32(good, rsrc + 20); // the resource directory in the file
    // The type entries follow the root's sixteen bytes; find the one of the version.
    qsizetype versionEntry = -1;
    const int types = get16(good, root + 12) + get16(good, root + 14);
    for (int i = 0; i < types; ++i) {
        if (get32(good, root + 16 + 8 * i) == 16)
            versionEntry = root + 16 + 8 * i;
    }
    ASSERT_GT(versionEntry, 0);
    const qsizetype names = root + (get32(good, versionEntry + 4) & 0x7FFFFFFF);
    const qsizetype languages = root + (get32(good, names + 16 + 4) & 0x7FFFFFFF);
    const qsizetype dataEntry = root + get32(good, languages + 16 + 4);

    struct Damage {
        const char *what;
        qsizetype at;
        std::uint32_t value;
    };
    const Damage damages[] = {
        {"PE header beyond the end", 0x3C, 0x7FFFFFF0},
        {"PE signature", header, 0x00004550 ^ 0xFF},
        {"optional header magic", header + 24, 0x30B},
        {"section count beyond reason", header + 6,
         0xFFFFu | (std::uint32_t{get16(good, header + 8)} << 16)},
        {"resource section beyond the end", rsrc + 20, 0x7FFFFFF0},
        {"resource section size", rsrc + 16, 8},
        {"type count", root + 12, 0xFFFFFFFF},
        {"version names loop to the root", versionEntry + 4, 0x80000000},
        {"version languages loop to the names", names + 16 + 4,
         0x80000000 | static_cast<std::uint32_t>(names - root)},
        {"language entry is a directory", languages + 16 + 4, 0x80000000},
        {"data entry outside the directory", languages + 16 + 4, 0x7FFFFFF0},
        {"data beyond its section", dataEntry, 0x7FFFFFF0},
        {"huge data size", dataEntry + 4, 0xFFFFFFFF},
        {"version block length zero", -1, 0},
    };
    TempDir dir;
    for (const Damage &damage : damages) {
        SCOPED_TRACE(damage.what);
        QByteArray pe = good;
        if (damage.at >= 0) {
            set32(pe, damage.at, damage.value);
        } else {
            const qsizetype block =
                qsizetype{get32(pe, rsrc + 20)} - get32(pe, rsrc + 12) + get32(pe, dataEntry);
            ASSERT_EQ(get16(pe, block + 6), 'V'); // "VS_VERSION_INFO"
            set32(pe, block, 0);
        }
        const QString path = dir.write(QStringLiteral("damaged.exe"), pe);
        const menu::core::VersionText version = fileVersion(path);
        EXPECT_EQ(version.result, VersionResult::NoVersionInfo);
        EXPECT_TRUE(version.text.isEmpty());
    }
}

// A node of a version block: lengths, type, key, value and children, four-byte aligned.
QByteArray node(const QString &key, const QByteArray &value, bool text,
                const QList<QByteArray> &children = {}, int valueUnits = -1)
{
    QByteArray bytes(6, '\0');
    for (QChar c : key + QChar(0)) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    while (bytes.size() % 4)
        bytes.append('\0');
    bytes.append(value);
    for (const QByteArray &child : children) {
        while (bytes.size() % 4)
            bytes.append('\0');
        bytes.append(child);
    }
    const auto length = static_cast<std::uint16_t>(bytes.size());
    const auto units = static_cast<std::uint16_t>(
        valueUnits >= 0 ? valueUnits : (text ? value.size() / 2 : value.size()));
    bytes[0] = static_cast<char>(length & 0xFF);
    bytes[1] = static_cast<char>(length >> 8);
    bytes[2] = static_cast<char>(units & 0xFF);
    bytes[3] = static_cast<char>(units >> 8);
    bytes[4] = text ? 1 : 0;
    return bytes;
}

QByteArray utf16(const QString &text)
{
    QByteArray bytes;
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray block(const QByteArray &string)
{
    return node("VS_VERSION_INFO", QByteArray(52, '\0'), false,
                {node("StringFileInfo", {}, true, {node("041B04E2", {}, true, {string})})});
}

TEST(VersionInfo, ValuesOfHandMadeBlocks)
{
    using menu::formats::versionValue;
    const QString table = QStringLiteral("041B04E2");
    const QString key = QStringLiteral("FileVersion");

    // Names are compared without case, as the system's own query does.
    EXPECT_EQ(versionValue(block(node("fileversion", utf16("1.2") + QByteArray(2, '\0'), true)),
                           QStringLiteral("041b04e2"), key),
              QStringLiteral("1.2"));
    // The text ends at its zero even where the stated length says more.
    EXPECT_EQ(versionValue(
                  block(node(key, utf16("3.4") + QByteArray(2, '\0') + utf16("x"), true, {}, 40)),
                  table, key),
              QStringLiteral("3.4"));
    // A value without its zero ends with its node.
    EXPECT_EQ(versionValue(block(node(key, utf16("5.6"), true)), table, key),
              QStringLiteral("5.6"));
    // Diacritics come through.
    EXPECT_EQ(
        versionValue(block(node(key, utf16(QStringLiteral("verzia č. 7")), true)), table, key),
        QStringLiteral("verzia č. 7"));

    // Damaged blocks: a child longer than its parent, a child of length zero.
    const QByteArray good = block(node(key, utf16("1.0"), true));
    const qsizetype at = good.indexOf(utf16(key)) - 6;
    ASSERT_TRUE(versionValue(good, table, key));
    for (const std::uint16_t length : {std::uint16_t{0}, std::uint16_t{5}, std::uint16_t{0x7FFF}}) {
        QByteArray damaged = good;
        damaged[at] = static_cast<char>(length & 0xFF);
        damaged[at + 1] = static_cast<char>(length >> 8);
        EXPECT_FALSE(versionValue(damaged, table, key)) << length;
    }
    EXPECT_FALSE(versionValue(QByteArray(), table, key));
    EXPECT_FALSE(versionValue(QByteArray("\x06\x00", 2), table, key));
}

// An ELF32 file holding one section called name.
QByteArray elf32With(const QByteArray &name, const QByteArray &data)
{
    const QByteArray names =
        QByteArray(1, '\0') + name + QByteArray(1, '\0') + ".shstrtab" + QByteArray(1, '\0');
    QByteArray file(52, '\0');
    file.replace(0, 7,
                 QByteArray("\x7F"
                            "ELF\x01\x01\x01",
                            7));
    const qsizetype dataAt = file.size();
    file.append(data);
    const qsizetype namesAt = file.size();
    file.append(names);
    while (file.size() % 4)
        file.append('\0');
    const qsizetype tableAt = file.size();
    auto header = [&](std::uint32_t nameAt, std::uint32_t type, qsizetype offset, qsizetype size) {
        QByteArray entry(40, '\0');
        set32(entry, 0, nameAt);
        set32(entry, 4, type);
        set32(entry, 0x10, static_cast<std::uint32_t>(offset));
        set32(entry, 0x14, static_cast<std::uint32_t>(size));
        file.append(entry);
    };
    header(0, 0, 0, 0);
    header(1, 1, dataAt, data.size());
    header(static_cast<std::uint32_t>(name.size() + 2), 3, namesAt, names.size());
    set32(file, 0x20, static_cast<std::uint32_t>(tableAt));
    file[0x2E] = 40;
    file[0x30] = 3;
    file[0x32] = 2;
    return file;
}

TEST(VersionInfo, ElfFilesOfBothWordSizes)
{
#ifdef _WIN32
    GTEST_SKIP() << "the launcher is a PE program here; its ELF section exists on Linux only";
#endif
    const auto menu = menu::platform::FileByteSource::open(QStringLiteral(MENU_PATH));
    ASSERT_TRUE(menu);
    const auto section =
        menu::formats::elfSection(*menu, menu::formats::kVersionSectionName, 0xFFFF);
    ASSERT_TRUE(section);
    EXPECT_LT(menu->bytesRead(), 64u * 1024u);

    const menu::formats::MemoryByteSource elf32(elf32With(".orvan_version", *section));
    const auto block = menu::formats::findVersionBlock(elf32);
    ASSERT_TRUE(block);
    EXPECT_EQ(menu::formats::versionValue(*block, QStringLiteral("041B04E2"),
                                          QStringLiteral("FileVersion")),
              QStringLiteral(MENU_VERSION_TEXT));

    const menu::formats::MemoryByteSource otherName(elf32With(".orvan_other", *section));
    EXPECT_FALSE(menu::formats::findVersionBlock(otherName));
}

} // namespace
