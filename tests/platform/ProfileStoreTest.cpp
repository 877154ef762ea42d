// The profile store keeps what it read of a file only while the file is provably unchanged:
// every read compares the file's identity, size and change times, and a file changed too
// recently to tell is read again.
#include "formats/ProfileText.h"
#include "platform/Files.h"
#include "platform/ProfileFiles.h"
#include "support/TempDir.h"

#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using menu::formats::ProfileIndex;
using menu::formats::profileLookup;
using menu::platform::ProfileFiles;
using menu::test::TempDir;

namespace {

const QString kMenu1 = QStringLiteral("Menu1");
const QString kNaz = QStringLiteral("Naz");

// Every question asked of the index is answered as profileLookup answers it.
void expectSameAnswers(const QByteArray &bytes, const QStringList &sections,
                       const QStringList &keys)
{
    const ProfileIndex index(bytes);
    for (const QString &section : sections) {
        for (const QString &key : keys) {
            EXPECT_EQ(index.lookup(section, key), profileLookup(bytes, section, key))
                << "[" << section.toStdString() << "] " << key.toStdString() << " in "
                << bytes.toStdString();
        }
    }
}

TEST(ProfileIndex, AnswersAsTheScanDoes)
{
    const QStringList sections{
        QStringLiteral("Menu1"),     QStringLiteral("menu1"),  QStringLiteral(" MENU1 "),
        QStringLiteral("Menu2"),     QStringLiteral("Účty"),   QStringLiteral("úČTY"),
        QStringLiteral("K"),         QStringLiteral("\u212A"), QStringLiteral(""),
        QStringLiteral("a]b"),       QStringLiteral("[x"),     QStringLiteral("\U00010400"),
        QStringLiteral("\U00010428")};
    const QStringList keys{QStringLiteral("Exe"),  QStringLiteral("exe"),   QStringLiteral("Naz"),
                           QStringLiteral(" naz"), QStringLiteral("Dĺžka"), QStringLiteral("dĹŽKA"),
                           QStringLiteral(""),     QStringLiteral("k"),     QStringLiteral("Long")};
    const QByteArray long3000(3000, 'x');
    const QList<QByteArray> texts{
        "",
        "Exe=before any section\r\n[Menu1]\r\nExe=a\r\nexe=second\r\n",
        // A later section of the same name is never read, even for keys the first lacks.
        "[Menu1]\nExe=first\n[menu1]\nExe=later\nNaz=later\n[Menu2]\nNaz=two\n",
        "[ Menu1 ]\n  Naz  =  \"quoted\"  \n Exe = 'single' \nDop=\"unbalanced'\n",
        "; comment\n[Menu1]\n;Exe=commented\nno equals here\n=no name\nExe=x\n",
        "[Menu1\nExe=not a section\n[a]b]\nExe=last bracket\n[[x]\nExe=bracketed\n",
        "[Menu1]\rExe=cr only\rNaz=n\r",
        "[Menu1]\nLong=" + long3000 + "\n",
        "[K]\nk=ascii\n[\xE2\x84\xAA]\nk=kelvin\n",
        "[\xC3\x9A\xC4\x8Dty]\nD\xC4\xBA\xC5\xBEka=utf8\n",
        "\xEF\xBB\xBF[Menu1]\nNaz=\xC5\xA1\n",
        "[\xDA\xE8ty]\nD\xE5\x9Eka=cp1250 \x9A\n",
        "[\xF0\x90\x90\x80]\nk=deseret\n",
        "[]\nExe=empty name\n[Menu2]\nExe=\n",
    };
    for (const QByteArray &text : texts)
        expectSameAnswers(text, sections, keys);

    // UTF-16 both ways, and a value whose cut falls inside a surrogate pair.
    QString wide = QStringLiteral("[Účty]\r\nDĺžka=široká\r\nLong=") +
                   QString(2046, QLatin1Char('a')) + QStringLiteral("\U0001F600tail\r\n");
    QByteArray le("\xFF\xFE"), be("\xFE\xFF");
    for (const QChar c : wide) {
        const char16_t u = c.unicode();
        le.append(static_cast<char>(u & 0xFF)).append(static_cast<char>(u >> 8));
        be.append(static_cast<char>(u >> 8)).append(static_cast<char>(u & 0xFF));
    }
    expectSameAnswers(le, sections, keys);
    expectSameAnswers(be, sections, keys);
}

// Texts made of the pieces that give lines their meaning, in random order.
TEST(ProfileIndex, AnswersAsTheScanDoesForRandomTexts)
{
    const QList<QByteArray> pieces{
        "[", "]", "=",     ";",     "\r",  "\n",  " ",        "\t",   "\"",   "'",    "a",
        "A", "b", "Menu1", "menu1", "Exe", "EXE", "\xC3\x9A", "\xDA", "\xFA", "\x9A", "x"};
    const QStringList sections{QStringLiteral("a"),  QStringLiteral("A"), QStringLiteral("Menu1"),
                               QStringLiteral("b"),  QStringLiteral("Ú"), QStringLiteral("ú"),
                               QStringLiteral("a]b")};
    const QStringList keys{QStringLiteral("a"), QStringLiteral("Exe"), QStringLiteral("b"),
                           QStringLiteral("ú"), QStringLiteral("x")};
    QRandomGenerator random(20240315);
    for (int round = 0; round < 3000; ++round) {
        QByteArray text;
        const int length = static_cast<int>(random.bounded(40));
        for (int i = 0; i < length; ++i)
            text += pieces[static_cast<qsizetype>(random.bounded(pieces.size()))];
        expectSameAnswers(text, sections, keys);
        if (::testing::Test::HasFailure())
            return;
    }
}

class ProfileStoreTest : public ::testing::Test {
  protected:
    QString write(const QByteArray &bytes)
    {
        return dir.write(QStringLiteral("orvan-Tav.ini"), bytes);
    }
    // Rewrites the file in place (same inode) until its stamp shows the change; the stamp's
    // clock may tick more slowly than the test writes.
    void rewriteInPlace(const QByteArray &bytes)
    {
        const QString path = dir.file(QStringLiteral("orvan-Tav.ini"));
        const auto before = menu::platform::fileStamp(path);
        for (int attempt = 0; attempt < 2000; ++attempt) {
            write(bytes);
            if (menu::platform::fileStamp(path) != before)
                return;
            QThread::usleep(500);
        }
        FAIL() << "the file's stamp never changed";
    }

    TempDir dir;
};

TEST_F(ProfileStoreTest, SettledFileIsReadOnceAndEveryChangeIsSeen)
{
    // Settled at once: the store trusts the stamp alone.
    ProfileFiles store{std::chrono::nanoseconds(-std::chrono::hours(1))};
    const QString path = write("[Menu1]\nNaz=one\n");
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("one"));
    EXPECT_EQ(store.read(path, kMenu1, QStringLiteral("Exe")), std::nullopt);
    EXPECT_EQ(store.read(path, QStringLiteral("MENU1"), QStringLiteral("naz")),
              QStringLiteral("one"));
    EXPECT_EQ(store.fileReads(), 1u);

    // Same size, same inode.
    rewriteInPlace("[Menu1]\nNaz=two\n");
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("two"));
    // Another size.
    rewriteInPlace("[Menu1]\nNaz=three\n");
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("three"));
    // Replaced by a new file, as the store's own writes do.
    ASSERT_TRUE(store.write(path, kMenu1, kNaz, QStringLiteral("four")));
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("four"));
    // Its time set back to what it was: the change time still tells.
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    rewriteInPlace("[Menu1]\nNaz=fife\n");
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("fife"));

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(store.read(path, kMenu1, kNaz), std::nullopt);
    ASSERT_TRUE(dir.write(QStringLiteral("orvan-Tav.ini/x"), "x").size() > 0); // now a directory
    EXPECT_EQ(store.read(path, kMenu1, kNaz), std::nullopt);
}

TEST_F(ProfileStoreTest, UnreadableFileGivesNothingEvenWhenKnown)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    ProfileFiles store{std::chrono::nanoseconds(-std::chrono::hours(1))};
    const QString path = write("[Menu1]\nNaz=one\n");
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("one"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    EXPECT_EQ(store.read(path, kMenu1, kNaz), std::nullopt);
}

TEST_F(ProfileStoreTest, FreshlyChangedFileIsReadAgainUntilItSettles)
{
    // A file changed within the same tick of the file system's clock may show the same stamp
    // before and after a rewrite of equal size: such a file is not trusted yet.
    ProfileFiles store;
    const QString path = write("[Menu1]\nNaz=one\n");
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("one"));
    write("[Menu1]\nNaz=two\n"); // no wait for the stamp to change
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("two"));
    EXPECT_EQ(store.read(path, kMenu1, kNaz), QStringLiteral("two"));
    EXPECT_EQ(store.fileReads(), 3u);
}

} // namespace
