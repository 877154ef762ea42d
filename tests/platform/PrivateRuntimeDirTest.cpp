// Where the single-instance lock and socket live: a directory of this user alone, so that
// another user's files in a shared directory can never make the launcher give up.
#include "platform/posix/PosixSingleInstance.h"
#include "support/Environment.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using menu::platform::privateRuntimeDir;
using menu::test::Environment;
using menu::test::TempDir;

namespace {

constexpr uid_t kSomeoneElse = 65534;

enum class Runtime { Unset, Relative, Private, Open, Link, Foreign };
enum class Cache { Missing, Private, Open, Foreign, File };
enum class Chosen { Runtime, Cache, None };

struct Case {
    const char *name;
    Runtime runtime;
    Cache cache;
    Chosen chosen;
};

mode_t modeOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

void makeDir(const QString &path, mode_t mode, bool foreign = false)
{
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), mode);
    if (foreign) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kSomeoneElse, kSomeoneElse), 0);
    }
}

TEST(PrivateRuntimeDir, OnlyADirectoryOfThisUserAloneIsUsed)
{
    const Case cases[] = {
        {"runtime of the user", Runtime::Private, Cache::Missing, Chosen::Runtime},
        {"no runtime: the cache, made", Runtime::Unset, Cache::Missing, Chosen::Cache},
        {"relative runtime", Runtime::Relative, Cache::Missing, Chosen::Cache},
        {"runtime open to others", Runtime::Open, Cache::Missing, Chosen::Cache},
        {"runtime is a link", Runtime::Link, Cache::Missing, Chosen::Cache},
        {"runtime of another user", Runtime::Foreign, Cache::Private, Chosen::Cache},
        {"cache open to others is narrowed", Runtime::Unset, Cache::Open, Chosen::Cache},
        {"cache of another user", Runtime::Unset, Cache::Foreign, Chosen::None},
        {"cache is a file", Runtime::Open, Cache::File, Chosen::None},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const bool needsRoot = c.runtime == Runtime::Foreign || c.cache == Cache::Foreign;
        if (needsRoot && ::geteuid() != 0)
            continue; // only root can give a directory to someone else
        TempDir tmp;
        const QString runtime = tmp.file(QStringLiteral("run"));
        const QString home = tmp.file(QStringLiteral("jana"));
        const QString cache = home + QStringLiteral("/.cache/orvan-menu");
        switch (c.runtime) {
        case Runtime::Unset:
        case Runtime::Relative:
            break;
        case Runtime::Private:
            makeDir(runtime, 0700);
            break;
        case Runtime::Open:
            makeDir(runtime, 0755);
            break;
        case Runtime::Link:
            makeDir(tmp.file(QStringLiteral("real")), 0700);
            QFile::link(tmp.file(QStringLiteral("real")), runtime);
            break;
        case Runtime::Foreign:
            makeDir(runtime, 0700, true);
            break;
        }
        switch (c.cache) {
        case Cache::Missing:
            break;
        case Cache::Private:
            makeDir(cache, 0700);
            break;
        case Cache::Open:
            makeDir(cache, 0777);
            break;
        case Cache::Foreign:
            makeDir(cache, 0700, true);
            break;
        case Cache::File:
            tmp.write(QStringLiteral("jana/.cache/orvan-menu"), "x");
            break;
        }
        const Environment environment(
            {{"XDG_RUNTIME_DIR",
              c.runtime == Runtime::Unset
                  ? std::nullopt
                  : std::optional(c.runtime == Runtime::Relative ? QStringLiteral("run")
                                                                 : runtime)},
             {"XDG_CACHE_HOME", std::nullopt},
             {"HOME", home}});

        const QString chosen = privateRuntimeDir();
        switch (c.chosen) {
        case Chosen::Runtime:
            EXPECT_EQ(chosen, runtime);
            break;
        case Chosen::Cache:
            EXPECT_EQ(chosen, cache);
            EXPECT_EQ(modeOf(cache), 0700u);
            break;
        case Chosen::None:
            EXPECT_EQ(chosen, QString());
            break;
        }
    }
}

TEST(PrivateRuntimeDir, TheCacheDirectoryFollowsXdgCacheHome)
{
    TempDir tmp;
    const Environment environment({{"XDG_RUNTIME_DIR", std::nullopt},
                                   {"XDG_CACHE_HOME", tmp.file(QStringLiteral("cache"))},
                                   {"HOME", tmp.file(QStringLiteral("jana"))}});
    EXPECT_EQ(privateRuntimeDir(), tmp.file(QStringLiteral("cache/orvan-menu")));
}

// Without a directory of its own the claim fails, and says where it looked.
TEST(PrivateRuntimeDir, AClaimWithoutOneFailsWithTheReason)
{
    TempDir tmp;
    tmp.write(QStringLiteral("jana/.cache/orvan-menu"), "x");
    const Environment environment({{"XDG_RUNTIME_DIR", std::nullopt},
                                   {"XDG_CACHE_HOME", std::nullopt},
                                   {"HOME", tmp.file(QStringLiteral("jana"))}});
    menu::platform::PosixSingleInstance instance(QStringLiteral("Orvan-Menu-test"));
    EXPECT_EQ(instance.claim(), menu::platform::SingleInstance::Claim::Unavailable);
    EXPECT_TRUE(instance.claimFailure().is(std::errc::permission_denied));
    EXPECT_EQ(instance.claimFailure().path, tmp.file(QStringLiteral("jana/.cache/orvan-menu")));
}

// A cache directory the user's group may write into would let a member swap the directory.
TEST(PrivateRuntimeDir, AGroupWritableCacheIsNotUsed)
{
    TempDir tmp;
    const QString cache = tmp.file(QStringLiteral("cache"));
    const Environment environment({{"XDG_RUNTIME_DIR", std::nullopt}, {"XDG_CACHE_HOME", cache}});
    makeDir(cache, 0775);
    EXPECT_EQ(privateRuntimeDir(), QString());
    EXPECT_FALSE(QDir(cache + QStringLiteral("/orvan-menu")).exists());
    makeDir(cache, 0755);
    EXPECT_EQ(privateRuntimeDir(), cache + QStringLiteral("/orvan-menu"));
}

} // namespace
