#include "formats/UserDirs.h"
#include "platform/posix/PosixDesktopFolders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <ostream>

using menu::formats::xdgDesktopDir;
using menu::platform::DesktopKind;
using menu::platform::PosixDesktopFolders;
using menu::test::TempDir;

namespace {

struct UserDirsCase {
    const char *file;
    const char *desktop; // nullptr: the file names no desktop
};

void PrintTo(const UserDirsCase &c, std::ostream *out)
{
    *out << c.file;
}

class XdgUserDirs : public ::testing::TestWithParam<UserDirsCase> {};

TEST_P(XdgUserDirs, NamesTheDesktop)
{
    const auto found = xdgDesktopDir(QByteArray(GetParam().file), QStringLiteral("/home/jana"));
    if (!GetParam().desktop) {
        EXPECT_FALSE(found.has_value()) << found.value_or(QString()).toStdString();
        return;
    }
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, QString::fromUtf8(GetParam().desktop));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, XdgUserDirs,
    ::testing::Values(UserDirsCase{"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/jana/Desktop"},
                      UserDirsCase{"# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Stiahnuté\"\n"
                                   "XDG_DESKTOP_DIR=\"$HOME/Pracovná plocha\"\n",
                                   "/home/jana/Pracovná plocha"},
                      UserDirsCase{"  XDG_DESKTOP_DIR = \"/data/plocha/\"\r\n", "/data/plocha"},
                      UserDirsCase{"XDG_DESKTOP_DIR=\"$HOME\"\n", "/home/jana"},
                      UserDirsCase{"XDG_DESKTOP_DIR=\"$HOME/a\\\"b\\\\c\"\n", "/home/jana/a\"b\\c"},
                      UserDirsCase{"XDG_DESKTOP_DIR=\"$HOME/one\"\nXDG_DESKTOP_DIR=\"$HOME/two\"\n",
                                   "/home/jana/two"},
                      UserDirsCase{"XDG_DESKTOP_DIR=\"$HOME/one\"\nXDG_DESKTOP_DIR=\"relative\"\n",
                                   "/home/jana/one"},
                      UserDirsCase{"XDG_DESKTOP_DIR=\"Desktop\"\n", nullptr},
                      UserDirsCase{"XDG_DESKTOP_DIR=\"$HOMEWORK/x\"\n", nullptr},
                      UserDirsCase{"XDG_DESKTOP_DIR=$HOME/Desktop\n", nullptr},
                      UserDirsCase{"XDG_DESKTOP_DIR=\"$HOME/unclosed\n", nullptr},
                      UserDirsCase{"#XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", nullptr},
                      UserDirsCase{"XDG_DESKTOP_DIRS=\"$HOME/Desktop\"\n", nullptr},
                      UserDirsCase{"", nullptr}));

TEST(PosixDesktopFolders, UserDesktopFromTheConfigurationElseDesktopInHome)
{
    TempDir tmp;
    const QString home = tmp.file(QStringLiteral("jana"));
    const PosixDesktopFolders plain(home, QString());
    EXPECT_EQ(plain.folder(DesktopKind::CurrentUser), home + QStringLiteral("/Desktop"));

    tmp.write(QStringLiteral("jana/.config/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"$HOME/Plocha\"\n");
    EXPECT_EQ(plain.folder(DesktopKind::CurrentUser), home + QStringLiteral("/Plocha"));

    // $XDG_CONFIG_HOME wins over ~/.config; a relative one is ignored.
    tmp.write(QStringLiteral("conf/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"/plochy/jana\"\n");
    EXPECT_EQ(PosixDesktopFolders(home, tmp.file(QStringLiteral("conf")))
                  .folder(DesktopKind::CurrentUser),
              QStringLiteral("/plochy/jana"));
    EXPECT_EQ(PosixDesktopFolders(home, QStringLiteral("conf")).folder(DesktopKind::CurrentUser),
              home + QStringLiteral("/Plocha"));
}

TEST(PosixDesktopFolders, NoSharedDesktopAndNoHomeMeansNoFolder)
{
    EXPECT_TRUE(PosixDesktopFolders(QStringLiteral("/home/jana"), QString())
                    .folder(DesktopKind::AllUsers)
                    .isEmpty());
    EXPECT_TRUE(
        PosixDesktopFolders(QString(), QString()).folder(DesktopKind::CurrentUser).isEmpty());
    EXPECT_EQ(PosixDesktopFolders(QStringLiteral("/"), QString()).folder(DesktopKind::CurrentUser),
              QStringLiteral("/Desktop"));
}

} // namespace
