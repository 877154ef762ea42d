#include "formats/ProfileText.h"
#include "platform/ProfileFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using menu::core::profileRead;
using menu::core::profileWrite;
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

QStringList entries(const TempDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
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
    QString error;
    EXPECT_FALSE(profileWrite(path, A, K, QStringLiteral("1"), &error));
    EXPECT_EQ(error, qt_error_string(EISDIR));
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini/keep")), QByteArray("kept"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("menu.ini")});
}

TEST(ProfileFileIo, PathBelowARegularFile)
{
    TempDir dir;
    const QString file = dir.write(QStringLiteral("plain"), "data");
    const QString path = file + QStringLiteral("/menu.ini");
    EXPECT_FALSE(profileRead(path, A, K));
    QString error;
    EXPECT_FALSE(profileWrite(path, A, K, QStringLiteral("1"), &error));
    EXPECT_EQ(error, qt_error_string(ENOTDIR));
    EXPECT_EQ(dir.read(QStringLiteral("plain")), QByteArray("data"));
}

TEST(ProfileFileIo, MissingDirectoryAndOverlongName)
{
    TempDir dir;
    QString error;
    EXPECT_FALSE(
        profileWrite(dir.file(QStringLiteral("no/menu.ini")), A, K, QStringLiteral("1"), &error));
    EXPECT_EQ(error, qt_error_string(ENOENT));
    const QString overlong = dir.file(QString(300, QLatin1Char('n')));
    EXPECT_FALSE(profileWrite(overlong, A, K, QStringLiteral("1"), &error));
    EXPECT_EQ(error, qt_error_string(ENAMETOOLONG));
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
    QString error;
    EXPECT_FALSE(profileWrite(big, A, K, QStringLiteral("2"), &error));
    EXPECT_EQ(error, qt_error_string(EFBIG));
    EXPECT_EQ(QFileInfo(big).size(), menu::formats::kProfileFileMax + 1);
}

TEST(ProfileFileIo, RefusedValueLeavesFileAlone)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("m.ini"), "[A]\nk=\x9A\n");
    QString error;
    EXPECT_FALSE(profileWrite(path, A, K, QStringLiteral("line\nbreak"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(profileWrite(path, A, K, QStringLiteral("ж"), &error));
    EXPECT_EQ(dir.read(QStringLiteral("m.ini")), QByteArray("[A]\nk=\x9A\n"));
}

TEST(ProfileFileIo, ReadOnlyFileIsNotReplaced)
{
    TempDir dir;
    const QString path = dir.write(QStringLiteral("m.ini"), "[A]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    EXPECT_EQ(profileRead(path, A, K), QStringLiteral("1"));
    QString error;
    EXPECT_FALSE(profileWrite(path, A, K, QStringLiteral("2"), &error));
    EXPECT_EQ(error, qt_error_string(EACCES));
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
    QString error;
    EXPECT_FALSE(profileWrite(path, A, K, QStringLiteral("9"), &error));
    EXPECT_EQ(error, qt_error_string(EACCES));
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
    QString error;
    EXPECT_FALSE(profileWrite(path, A, K, QStringLiteral("2"), &error));
    EXPECT_EQ(error, qt_error_string(EACCES));
    EXPECT_TRUE(profileWrite(path, A, K, QStringLiteral("1"))); // nothing to change
    ::chmod(sub.constData(), 0700);
    EXPECT_EQ(dir.read(QStringLiteral("sub/m.ini")), QByteArray("[A]\nk=1\n"));
}

TEST(ProfileFileIo, StoreReportsTheReason)
{
    TempDir dir;
    menu::platform::ProfileFiles store;
    const QString path = dir.file(QStringLiteral("m.ini"));
    ASSERT_TRUE(store.write(path, A, K, QStringLiteral("1")));
    EXPECT_TRUE(store.lastError().isEmpty());
    EXPECT_EQ(store.read(path, A, K), QStringLiteral("1"));
    EXPECT_FALSE(store.write(dir.file(QStringLiteral("m.ini/x")), A, K, QStringLiteral("1")));
    EXPECT_EQ(store.lastError(), qt_error_string(ENOTDIR));
}

} // namespace
