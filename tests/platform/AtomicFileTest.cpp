// New content put in a file's place at once, and new files that never replace anything.
#include "platform/AtomicFile.h"

#include "platform/Files.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using menu::platform::AtomicFile;
using menu::test::TempDir;

namespace {

// What is there before the test: m.ini itself, a link m.ini naming real.ini, or a file
// "plain" that the target's path runs through.
enum class At { Nothing, File, Link, DanglingLink, BelowAFile };

mode_t modeOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 07777;
}

mode_t usualMode()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666 & ~mask;
}

// Names a failed or dropped write could have left behind (every temporary starts with a dot).
QStringList hiddenEntries(const TempDir &dir)
{
    return QDir(dir.path())
        .entryList({QStringLiteral(".*")},
                   QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QString prepare(const TempDir &dir, At at)
{
    const QString path = dir.file(QStringLiteral("m.ini"));
    if (at == At::File)
        dir.write(QStringLiteral("m.ini"), "old");
    if (at == At::Link) {
        EXPECT_TRUE(QFile::link(dir.write(QStringLiteral("real.ini"), "old"), path));
    }
    if (at == At::DanglingLink) {
        EXPECT_TRUE(QFile::link(dir.file(QStringLiteral("missing.ini")), path));
    }
    if (at == At::BelowAFile)
        return dir.write(QStringLiteral("plain"), "data") + QStringLiteral("/m.ini");
    return path;
}

struct AtomicCase {
    const char *name;
    At at;
    AtomicFile::Options options;
    bool commit;
    const char *seen; // read through m.ini afterwards; nullptr: nothing there
    bool stillLink;   // m.ini is a symbolic link afterwards
    const char *real; // real.ini afterwards; nullptr: not there
};

TEST(AtomicFile, CommitPutsTheNewContentInPlaceAndDroppingLeavesTheOld)
{
    const AtomicCase cases[] = {
        {"new file", At::Nothing, {}, true, "new", false, nullptr},
        {"new file dropped", At::Nothing, {}, false, nullptr, false, nullptr},
        {"replaced", At::File, {.durable = true}, true, "new", false, nullptr},
        {"dropped", At::File, {}, false, "old", false, nullptr},
        {"link replaced itself", At::Link, {.followLink = false}, true, "new", false, "old"},
        {"link followed", At::Link, {.followLink = true}, true, "new", true, "new"},
        {"link followed, dropped", At::Link, {.followLink = true}, false, "old", true, "old"},
        {"dangling link replaced",
         At::DanglingLink,
         {.followLink = true},
         true,
         "new",
         false,
         nullptr},
    };
    for (const AtomicCase &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString path = prepare(dir, c.at);
        const QByteArray before = dir.read(QStringLiteral("m.ini"));
        {
            menu::Result<AtomicFile> file = AtomicFile::begin(path, c.options);
            ASSERT_TRUE(file.ok()) << file.failure().code.message();
            ASSERT_TRUE(file->write(QByteArray("new")).ok());
            EXPECT_EQ(dir.read(QStringLiteral("m.ini")), before) << "changed before commit";
            if (c.commit) {
                ASSERT_TRUE(file->commit().ok());
            }
        }
        EXPECT_EQ(QFileInfo::exists(path), c.seen != nullptr);
        EXPECT_EQ(dir.read(QStringLiteral("m.ini")), QByteArray(c.seen));
        EXPECT_EQ(QFileInfo(path).isSymLink(), c.stillLink);
        EXPECT_EQ(dir.read(QStringLiteral("real.ini")), QByteArray(c.real));
        EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("missing.ini"))));
        EXPECT_EQ(hiddenEntries(dir), QStringList());
    }
}

TEST(AtomicFile, ReplacedFileKeepsItsModeOnlyWhenAsked)
{
    struct ModeCase {
        At at;
        bool keepMode;
        mode_t before, after; // after 0: the usual mode of a new file
    };
    const ModeCase cases[] = {
        {At::File, true, 0640, 0640},
        {At::File, false, 0604, 0},
        {At::Link, true, 0751, 0751}, // the mode of the file the link names
        {At::Nothing, true, 0, 0},
    };
    for (const ModeCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << std::oct << c.before);
        TempDir dir;
        const QString path = prepare(dir, c.at);
        if (c.at != At::Nothing) {
            ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), c.before), 0);
        }
        ASSERT_TRUE(menu::platform::replaceFileContent(path, "new",
                                                       {.followLink = true, .keepMode = c.keepMode})
                        .ok());
        EXPECT_EQ(modeOf(path), c.after != 0 ? c.after : usualMode());
    }
}

TEST(WriteNewFile, NeverReplacesAnythingAndLeavesNothingOnFailure)
{
    struct NewFileCase {
        const char *name;
        At at;
        std::errc reason; // {}: written
    };
    const NewFileCase cases[] = {
        {"free name", At::Nothing, {}},
        {"existing file", At::File, std::errc::file_exists},
        {"link to a file", At::Link, std::errc::file_exists},
        {"dangling link", At::DanglingLink, std::errc::file_exists},
        {"below a file", At::BelowAFile, std::errc::not_a_directory},
    };
    for (const NewFileCase &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString path = prepare(dir, c.at);
        const QByteArray before = dir.read(QStringLiteral("m.ini"));
        const menu::Status written = menu::platform::writeNewFile(path, "new");
        if (c.reason == std::errc{}) {
            ASSERT_TRUE(written.ok()) << written.failure().code.message();
            EXPECT_EQ(dir.read(QStringLiteral("m.ini")), QByteArray("new"));
            EXPECT_EQ(modeOf(path), 0644u); // readable by everyone, whatever the umask
        } else {
            ASSERT_FALSE(written.ok());
            EXPECT_TRUE(written.failure().is(c.reason)) << written.failure().code.message();
            EXPECT_EQ(written.failure().path, path);
            EXPECT_EQ(dir.read(QStringLiteral("m.ini")), before);
        }
        EXPECT_FALSE(QFileInfo::exists(dir.file(QStringLiteral("missing.ini"))));
        EXPECT_EQ(hiddenEntries(dir), QStringList());
    }
}

// What another user planted is not taken at its word: a link of theirs (also one on the way
// from a link of ours) is replaced rather than written through, and their file gives no mode.
TEST(AtomicFile, AnotherUsersLinksAndModesAreNotTrusted)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file to another user needs the administrator";
    const auto giveAway = [](const QString &path) {
        return ::lchown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
    };
    const struct {
        const char *name;
        bool chain; // m.ini is our link to their link "hop"
    } links[] = {{"their link", false}, {"our link to their link", true}};
    for (const auto &c : links) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString real = dir.write(QStringLiteral("real.ini"), "old");
        const QString path = dir.file(QStringLiteral("m.ini"));
        const QString theirs = c.chain ? dir.file(QStringLiteral("hop")) : path;
        ASSERT_TRUE(QFile::link(real, theirs));
        ASSERT_TRUE(giveAway(theirs));
        if (c.chain) {
            ASSERT_TRUE(QFile::link(theirs, path));
        }
        ASSERT_TRUE(menu::platform::replaceFileContent(path, "new", {.followLink = true}).ok());
        EXPECT_FALSE(QFileInfo(path).isSymLink());
        EXPECT_EQ(dir.read(QStringLiteral("m.ini")), "new");
        EXPECT_EQ(dir.read(QStringLiteral("real.ini")), "old");
    }

    TempDir dir;
    const QString planted = dir.write(QStringLiteral("m.ini"), "planted");
    ASSERT_EQ(::chmod(QFile::encodeName(planted).constData(), 0666), 0);
    ASSERT_TRUE(giveAway(planted));
    ASSERT_TRUE(menu::platform::replaceFileContent(planted, "new", {.keepMode = true}).ok());
    EXPECT_EQ(modeOf(planted), usualMode());
    EXPECT_EQ(QFileInfo(planted).ownerId(), 0u);
}

} // namespace
