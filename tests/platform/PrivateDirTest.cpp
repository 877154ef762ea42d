// Private directories in a shared temporary directory: fresh, for their owner alone, removed
// without following links, and the leftovers of earlier runs removed only where they are ours.
#include "platform/PrivateDir.h"

#include "support/TempDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using menu::platform::PrivateDir;
using menu::test::TempDir;
using namespace std::chrono_literals;

namespace {

struct stat statOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

void setMode(const QString &path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

void backdate(const QString &path, qint64 seconds)
{
    const struct timespec times[2] = {{std::time(nullptr) - seconds, 0},
                                      {std::time(nullptr) - seconds, 0}};
    ASSERT_EQ(
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                               QDir::System);
}

TEST(PrivateDir, IsFreshForItsOwnerAloneAndGoesWithEverythingInIt)
{
    TempDir tmp;
    tmp.write(QStringLiteral("outside/keep.txt"), "keep");
    menu::Result<PrivateDir> first = PrivateDir::create(tmp.path(), QStringLiteral("u-"));
    menu::Result<PrivateDir> second = PrivateDir::create(tmp.path(), QStringLiteral("u-"));
    ASSERT_TRUE(first.ok()) << first.failure().code.message();
    ASSERT_TRUE(second.ok());
    EXPECT_NE(first->path(), second->path());
    EXPECT_TRUE(QFileInfo(first->path()).fileName().startsWith(QStringLiteral("u-")));
    const struct stat info = statOf(first->path());
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(info.st_uid, ::geteuid());

    // What an unpacked package leaves: read-only files and folders, and links that lead out.
    const QString root = first->path();
    tmp.write(QFileInfo(root).fileName() + QStringLiteral("/ORVAN-INSTAL/a/b/file.txt"), "x");
    setMode(root + QStringLiteral("/ORVAN-INSTAL/a/b/file.txt"), 0400);
    setMode(root + QStringLiteral("/ORVAN-INSTAL/a/b"), 0500);
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("outside")), root + QStringLiteral("/out")));
    ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("outside/keep.txt")),
                            root + QStringLiteral("/ORVAN-INSTAL/keep.txt")));

    EXPECT_TRUE(first->remove().ok());
    EXPECT_FALSE(QFileInfo::exists(root));
    EXPECT_EQ(tmp.read(QStringLiteral("outside/keep.txt")), "keep");

    // Kept, it outlives its owner; otherwise the owner takes it along, also when replaced.
    const QString kept = second->path();
    second->keep();
    {
        const PrivateDir gone = std::move(*second);
    }
    EXPECT_TRUE(QFileInfo(kept).isDir());
    std::optional<PrivateDir> owner(PrivateDir::create(tmp.path(), QStringLiteral("u-")).value());
    const QString replaced = owner->path();
    *owner = PrivateDir::create(tmp.path(), QStringLiteral("u-")).value();
    EXPECT_FALSE(QFileInfo::exists(replaced));
    const QString last = owner->path();
    owner.reset();
    EXPECT_FALSE(QFileInfo::exists(last));
}

TEST(PrivateDir, SharedParentNeedsTheStickyBit)
{
    TempDir tmp;
    const QString shared = tmp.file(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared));
    setMode(shared, 0777);
    menu::Result<PrivateDir> refused = PrivateDir::create(shared, QStringLiteral("u-"));
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.failure().is(std::errc::operation_not_permitted));
    EXPECT_EQ(entries(shared), QStringList());

    // A group member could swap the directory as well as anyone.
    for (const mode_t mode : {0775, 0770, 0730}) {
        setMode(shared, mode);
        EXPECT_FALSE(PrivateDir::create(shared, QStringLiteral("u-")).ok()) << mode;
    }
    EXPECT_EQ(entries(shared), QStringList());

    setMode(shared, 01777);
    EXPECT_TRUE(PrivateDir::create(shared, QStringLiteral("u-")).ok());
    setMode(shared, 01770);
    EXPECT_TRUE(PrivateDir::create(shared, QStringLiteral("u-")).ok());
    EXPECT_FALSE(
        PrivateDir::create(tmp.file(QStringLiteral("missing")), QStringLiteral("u-")).ok());
}

// Only this user's own private directories that have been left alone long enough go.
TEST(PrivateDir, StaleDirectoriesOfThisUserGo)
{
    TempDir tmp;
    tmp.write(QStringLiteral("elsewhere/u-Target/file"), "not ours to remove");
    setMode(tmp.file(QStringLiteral("elsewhere/u-Target")), 0700);
    backdate(tmp.file(QStringLiteral("elsewhere/u-Target")), 7200);
    const struct {
        const char *name;
        mode_t mode;
        qint64 age;
        bool link, foreign, removed;
    } cases[] = {
        {"u-Old123", 0700, 7200, false, false, true},
        {"u-New123", 0700, 60, false, false, false},
        {"u-Open12", 0755, 7200, false, false, false}, // not private: not one of ours
        {"u-Lnk123", 0700, 7200, true, false, false},  // a link to one of ours elsewhere
        {"u-Other1", 0700, 7200, false, true, false},  // another user's
        {"u-Long1234", 0700, 7200, false, false, false},
        {"x-Old123", 0700, 7200, false, false, false},
    };
    for (const auto &c : cases) {
        const QString path = tmp.file(QLatin1String(c.name));
        if (c.link) {
            ASSERT_TRUE(QFile::link(tmp.file(QStringLiteral("elsewhere/u-Target")), path));
            continue;
        }
        tmp.write(QLatin1String(c.name) + QStringLiteral("/ORVAN-INSTAL/setup.exe"), "MZ");
        setMode(path, c.mode);
        if (c.foreign) {
            if (::geteuid() != 0)
                continue; // only the administrator can give a directory away
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        }
        backdate(path, c.age);
    }

    const int removed =
        menu::platform::removeStalePrivateDirs(tmp.path(), QStringLiteral("u-"), 3600s);
    int expected = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        expected += c.removed ? 1 : 0;
        const QFileInfo info(tmp.file(QLatin1String(c.name)));
        EXPECT_EQ(info.exists() || info.isSymLink(), !c.removed);
    }
    EXPECT_EQ(removed, expected);
    EXPECT_EQ(tmp.read(QStringLiteral("elsewhere/u-Target/file")), "not ours to remove");
}

} // namespace
