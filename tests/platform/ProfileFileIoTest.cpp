#include "formats/ProfileText.h"
#include "platform/ProfileFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using menu::test::TempDir;

namespace {

const QString A = QStringLiteral("A");
const QString K = QStringLiteral("k");

mode_t modeOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 07777;
}

// What a directory holds besides the lock files that writes leave beside their files.
QStringList entries(const TempDir &dir)
{
    QStringList names =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeIf([](const QString &name) { return name.endsWith(QLatin1String(".lock")); });
    return names;
}

// The store as the launcher uses it: every read asks the file as it is now.
menu::platform::ProfileFiles store;

std::optional<QString> profileRead(const QString &path, const QString &section, const QString &key)
{
    return store.read(path, section, key);
}

menu::Status profileWrite(const QString &path, const QString &section, const QString &key,
                          const QString &value)
{
    return store.write(path, section, key, value);
}

TEST(ProfileFileIo, MissingFileReadsNothingAndFirstWriteCreatesIt)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("menu.ini"));
    EXPECT_FALSE(profileRead(path, QStringLiteral("OPTIONS"), QStringLiteral("Left")));
    ASSERT_TRUE(profileWrite(path, QStringLiteral("OPTIONS"), QStringLiteral("Left"),
                             QStringLiteral("10")));
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("[OPTIONS]\r\nLeft=10\r\n"));
    EXPECT_EQ(profileRead(path, QStringLiteral("options"), QStringLiteral("left")),
              QStringLiteral("10"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("menu.ini")}); // no temporary left over
}

TEST(ProfileFileIo, WriteKeepsEveryOtherByteAndThePermissions)
{
    TempDir dir;
    const QByteArray before("; made on Windows\r\n[A]  \r\nk = 1\r\n\r\n[B]\r\nNaz=\x9A\xE8\r\n");
    const QString path = dir.write(QStringLiteral("m.ini"), before);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);

    ASSERT_TRUE(profileWrite(path, A, K, QStringLiteral("2")));
    EXPECT_EQ(dir.read(QStringLiteral("m.ini")),
              QByteArray("; made on Windows\r\n[A]  \r\nk = 2\r\n\r\n[B]\r\nNaz=\x9A\xE8\r\n"));
    EXPECT_EQ(modeOf(path), 0640u);
    EXPECT_EQ(profileRead(path, QStringLiteral("b"), QStringLiteral("naz")), QStringLiteral("šč"));
}

TEST(ProfileFileIo, WriteReplacesTheFileRatherThanRewritingIt)
{
    // A reader holding the old file keeps seeing the old content: the new one is a new file.
    TempDir dir;
    const QString path = dir.write(QStringLiteral("m.ini"), "[A]\nk=1\n");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    ASSERT_TRUE(profileWrite(path, A, K, QStringLiteral("2")));
    EXPECT_EQ(old.readAll(), QByteArray("[A]\nk=1\n"));
    EXPECT_EQ(dir.read(QStringLiteral("m.ini")), QByteArray("[A]\nk=2\n"));
}

TEST(ProfileFileIo, WriteThroughSymbolicLinkKeepsTheLink)
{
    TempDir dir;
    const QString real = dir.write(QStringLiteral("real.ini"), "[A]\nk=1\n");
    const QString link = dir.file(QStringLiteral("link.ini"));
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_TRUE(profileWrite(link, A, K, QStringLiteral("2")));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(dir.read(QStringLiteral("real.ini")), QByteArray("[A]\nk=2\n"));
}

TEST(ProfileFileIo, DirectoryInPlaceOfTheFile)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("menu.ini"));
    ASSERT_TRUE(QDir().mkpath(path));
    dir.write(QStringLiteral("menu.ini/keep"), "kept");
    EXPECT_FALSE(profileRead(path, A, K));
    const menu::Status written = profileWrite(path, A, K, QStringLiteral("1"));
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure().is(std::errc::is_a_directory));
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini/keep")), QByteArray("kept"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("menu.ini")});
}

TEST(ProfileFileIo, PathBelowARegularFile)
{
    TempDir dir;
    const QString file = dir.write(QStringLiteral("plain"), "data");
    const QString path = file + QStringLiteral("/menu.ini");
    EXPECT_FALSE(profileRead(path, A, K));
    const menu::Status written = profileWrite(path, A, K, QStringLiteral("1"));
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure().is(std::errc::not_a_directory));
    EXPECT_EQ(dir.read(QStringLiteral("plain")), QByteArray("data"));
}

TEST(ProfileFileIo, MissingDirectoryAndOverlongName)
{
    TempDir dir;
    const menu::Status noDir =
        profileWrite(dir.file(QStringLiteral("no/menu.ini")), A, K, QStringLiteral("1"));
    ASSERT_FALSE(noDir.ok());
    EXPECT_TRUE(noDir.failure().is(std::errc::no_such_file_or_directory));
    const QString overlong = dir.file(QString(300, QLatin1Char('n')));
    const menu::Status tooLong = profileWrite(overlong, A, K, QStringLiteral("1"));
    ASSERT_FALSE(tooLong.ok());
    EXPECT_TRUE(tooLong.failure().is(std::errc::filename_too_long));
    EXPECT_TRUE(entries(dir).isEmpty());
}

TEST(ProfileFileIo, FifoAndOversizedFileAreNotProfileFiles)
{
    TempDir dir;
    const QString fifo = dir.file(QStringLiteral("fifo.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(profileRead(fifo, A, K)); // returns at once: no writer is awaited
    EXPECT_FALSE(profileWrite(fifo, A, K, QStringLiteral("1")));

    const QString big = dir.write(QStringLiteral("big.ini"), "[A]\nk=1\n");
    ASSERT_TRUE(QFile::resize(big, menu::formats::kProfileFileMax + 1)); // sparse
    EXPECT_FALSE(profileRead(big, A, K));
    const menu::Status written = profileWrite(big, A, K, QStringLiteral("2"));
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure().is(std::errc::file_too_large));
    EXPECT_EQ(QFileInfo(big).size(), menu::formats::kProfileFileMax + 1);
}

TEST(ProfileFileIo, RefusedValueLeavesFileAlone)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("m.ini"), "[A]\nk=\x9A\n");
    const std::pair<QString, std::errc> refused[] = {
        {QStringLiteral("line\nbreak"), std::errc::invalid_argument},
        {QStringLiteral("ж"), std::errc::illegal_byte_sequence}, // not in Windows-1250
    };
    for (const auto &[value, why] : refused) {
        const menu::Status written = profileWrite(path, A, K, value);
        ASSERT_FALSE(written.ok()) << value.toStdString();
        EXPECT_TRUE(written.failure().is(why)) << value.toStdString();
        EXPECT_FALSE(written.failure().detail.isEmpty()) << value.toStdString();
    }
    EXPECT_EQ(dir.read(QStringLiteral("m.ini")), QByteArray("[A]\nk=\x9A\n"));
}

// The write of a missing file that fails leaves no file behind, not even an empty one.
TEST(ProfileFileIo, RefusedValueCreatesNoFile)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("m.ini"));
    ASSERT_FALSE(profileWrite(path, A, K, QStringLiteral("line\nbreak")).ok());
    EXPECT_TRUE(entries(dir).isEmpty()) << entries(dir).join(u' ').toStdString();
}

TEST(ProfileFileIo, ReadOnlyFileIsNotReplaced)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("m.ini"), "[A]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_EQ(profileRead(path, A, K), QStringLiteral("1"));
    const menu::Status written = profileWrite(path, A, K, QStringLiteral("2"));
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure().is(std::errc::permission_denied));
    EXPECT_EQ(dir.read(QStringLiteral("m.ini")), QByteArray("[A]\nk=1\n"));
    EXPECT_EQ(modeOf(path), 0444u);
}

TEST(ProfileFileIo, UnreadableFileIsNeverReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    TempDir dir;
    const QString path = dir.write(QStringLiteral("m.ini"), "[A]\nk=1\nj=2\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0200), 0);
    EXPECT_FALSE(profileRead(path, A, K));
    const menu::Status written = profileWrite(path, A, K, QStringLiteral("9"));
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure().is(std::errc::permission_denied));
    ::chmod(QFile::encodeName(path).constData(), 0600);
    EXPECT_EQ(dir.read(QStringLiteral("m.ini")), QByteArray("[A]\nk=1\nj=2\n"));
}

TEST(ProfileFileIo, ReadOnlyDirectory)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    TempDir dir;
    const QString path = dir.write(QStringLiteral("sub/m.ini"), "[A]\nk=1\n");
    const QByteArray sub = QFile::encodeName(dir.file(QStringLiteral("sub")));
    ASSERT_EQ(::chmod(sub.constData(), 0500), 0);
    const menu::Status written = profileWrite(path, A, K, QStringLiteral("2"));
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure().is(std::errc::permission_denied));
    EXPECT_TRUE(profileWrite(path, A, K, QStringLiteral("1"))); // nothing to change
    ::chmod(sub.constData(), 0700);
    EXPECT_EQ(dir.read(QStringLiteral("sub/m.ini")), QByteArray("[A]\nk=1\n"));
}

// The reason names the file, so that the launcher can say which one it could not write.
TEST(ProfileFileIo, FailureNamesTheFile)
{
    TempDir dir;
    const QString path = dir.file(QStringLiteral("m.ini"));
    ASSERT_TRUE(profileWrite(path, A, K, QStringLiteral("1")));
    const QString below = dir.file(QStringLiteral("m.ini/x"));
    const menu::Status written = profileWrite(below, A, K, QStringLiteral("1"));
    ASSERT_FALSE(written.ok());
    EXPECT_TRUE(written.failure().is(std::errc::not_a_directory));
    EXPECT_EQ(written.failure().path, below);
}

} // namespace
