// The command that puts the launcher's shortcut on a desktop: what the user is asked and told,
// and the link it writes, read back with an independent reader.
#include "core/DesktopShortcut.h"

#include "platform/posix/XdgDesktopFolders.h"
#include "support/LnkInfo.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <tuple>
#include <utility>
#include <vector>

// Readable failure messages; found by argument-dependent lookup.
static void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

using menu::core::BoxKind;
using menu::platform::DesktopKind;
using menu::test::readLnk;
using menu::test::TempDir;

namespace {

const QString kExists = QStringLiteral("Zástupca ORVAN už existuje na pracovnej ploche !\r(");
const QString kQuestion = QStringLiteral("Vytvoriť zástupcu ORVAN na pracovnej ploche ?");
const QString kAllUsers = QStringLiteral(
    "Úspešne vytvorený zástupca ORVAN na pracovnej ploche pre všetkých používateľov !");
const QString kCurrentUser = QStringLiteral(
    "Úspešne vytvorený zástupca ORVAN na pracovnej ploche pre aktuálneho používateľa !");
const QString kFailed =
    QStringLiteral("Zástupcu ORVAN sa nepodarilo vytvoriť na pracovnej ploche!");

using Box = std::pair<BoxKind, QString>;

// Runs the command as the window does: the question and the final notice as boxes in order,
// the question answered as given.
std::vector<Box> runCommand(const menu::platform::DesktopFolders &desktops, const QString &prefix,
                            bool agree)
{
    std::vector<Box> shown;
    const std::optional<menu::core::Notice> notice =
        menu::core::createDesktopShortcut(desktops, prefix, [&](const QString &question) {
            shown.emplace_back(BoxKind::Confirmation, question);
            return agree;
        });
    if (notice)
        shown.emplace_back(notice->kind, notice->text);
    return shown;
}

// Desktops at fixed folders; links are written as on this system.
class FixedDesktops : public menu::platform::DesktopFolders {
public:
    FixedDesktops(QString shared, QString own) : shared_(std::move(shared)), own_(std::move(own)) {}
    QString folder(DesktopKind kind) const override
    {
        return kind == DesktopKind::CurrentUser ? own_ : shared_;
    }
    QStringList shortcutFiles(const QString &folder, const QString &name) const override
    {
        return system_.shortcutFiles(folder, name);
    }
    menu::Status createShortcut(const QString &folder,
                                const menu::platform::Shortcut &shortcut) const override
    {
        return system_.createShortcut(folder, shortcut);
    }

private:
    QString shared_;
    QString own_;
    menu::platform::XdgDesktopFolders system_;
};

// What a desktop looks like before the command runs.
enum class Desk {
    Missing,   // the system has no such folder
    Empty,     // a writable folder without ORVAN.lnk
    HasLink,   // ORVAN.lnk is already there
    Unwritable // the folder's path is taken by a file, so nothing can be written into it
};

enum class Outcome { None, Shared, Own };

struct FlowCase {
    const char *name;
    Desk shared;
    Desk own;
    bool agree;
    std::vector<QString> boxes; // texts in order; "shared"/"own" stand for the link paths
    Outcome written;
};

QString prepare(const TempDir &tmp, const QString &name, Desk desk)
{
    const QString folder = tmp.file(name);
    switch (desk) {
    case Desk::Missing:
        return {};
    case Desk::Empty:
        QDir().mkpath(folder);
        break;
    case Desk::HasLink:
        tmp.write(name + QStringLiteral("/ORVAN.lnk"), "someone else's");
        break;
    case Desk::Unwritable:
        tmp.write(name, "not a folder");
        break;
    }
    return folder;
}

void PrintTo(const FlowCase &c, std::ostream *out)
{
    *out << c.name;
}

class DesktopFlow : public ::testing::TestWithParam<FlowCase> {};

TEST_P(DesktopFlow, BoxesAndTheWrittenLink)
{
    const FlowCase &c = GetParam();
    TempDir tmp;
    const QString prefix = tmp.file(QStringLiteral("Účtovníctvo"));
    QDir().mkpath(prefix + QStringLiteral("/ORVAN/MENU"));
    const QString sharedDir = prepare(tmp, QStringLiteral("Verejné"), c.shared);
    const QString ownDir = prepare(tmp, QStringLiteral("Plocha"), c.own);
    const QString shared = sharedDir + QStringLiteral("/ORVAN.lnk");
    const QString own = ownDir + QStringLiteral("/ORVAN.lnk");
    const bool rootLinkBefore = QFileInfo::exists(QStringLiteral("/ORVAN.lnk"));

    const std::vector<Box> shown = runCommand(FixedDesktops(sharedDir, ownDir), prefix, c.agree);

    std::vector<Box> expected;
    for (const QString &text : c.boxes) {
        if (text == QLatin1String("shared") || text == QLatin1String("own"))
            expected.emplace_back(BoxKind::Information,
                                  kExists + (text == QLatin1String("shared") ? shared : own) +
                                      QLatin1Char(')'));
        else if (text == kQuestion)
            expected.emplace_back(BoxKind::Confirmation, text);
        else
            expected.emplace_back(text == kFailed ? BoxKind::Error : BoxKind::Information, text);
    }
    EXPECT_EQ(shown, expected);

    // A link that was there stays as it was; a new one is where the boxes say.
    for (const auto &[desk, link, outcome] :
         {std::tuple{c.shared, shared, Outcome::Shared}, std::tuple{c.own, own, Outcome::Own}}) {
        if (desk == Desk::HasLink) {
            EXPECT_EQ(tmp.read(link.mid(tmp.path().size() + 1)), QByteArray("someone else's"));
        } else if (desk == Desk::Empty) {
            EXPECT_EQ(QFileInfo::exists(link), c.written == outcome) << link.toStdString();
        }
    }
    if (c.written != Outcome::None) {
        const auto read = readLnk(c.written == Outcome::Shared ? shared : own);
        EXPECT_EQ(read.value(QStringLiteral("Local path")),
                  prefix + QStringLiteral("/ORVAN/MENU/menu"));
        EXPECT_EQ(read.value(QStringLiteral("Working directory")),
                  prefix + QStringLiteral("/ORVAN/MENU/"));
        EXPECT_EQ(read.value(QStringLiteral("Icon location")),
                  prefix + QStringLiteral("/ORVAN/MENU/menu"));
    }
    // A desktop the system lacks never turns into a link at the root.
    if (!rootLinkBefore) {
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/ORVAN.lnk")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopFlow,
    ::testing::Values(
        FlowCase{"LinkOnSharedDesktop",
                 Desk::HasLink,
                 Desk::Empty,
                 true,
                 {"shared"},
                 Outcome::None},
        FlowCase{"LinkOnBothDesktops",
                 Desk::HasLink,
                 Desk::HasLink,
                 true,
                 {"shared"},
                 Outcome::None},
        FlowCase{
            "LinkOnOwnDesktop", Desk::Empty, Desk::HasLink, true, {"own"}, Outcome::None},
        FlowCase{"LinkOnOwnDesktopNoShared",
                 Desk::Missing,
                 Desk::HasLink,
                 true,
                 {"own"},
                 Outcome::None},
        FlowCase{"AnswerNo", Desk::Empty, Desk::Empty, false, {kQuestion}, Outcome::None},
        FlowCase{"SharedDesktopWritable",
                 Desk::Empty,
                 Desk::Empty,
                 true,
                 {kQuestion, kAllUsers},
                 Outcome::Shared},
        FlowCase{"SharedDesktopRefused",
                 Desk::Unwritable,
                 Desk::Empty,
                 true,
                 {kQuestion, kCurrentUser},
                 Outcome::Own},
        FlowCase{"NoSharedDesktop",
                 Desk::Missing,
                 Desk::Empty,
                 true,
                 {kQuestion, kCurrentUser},
                 Outcome::Own},
        FlowCase{"NothingWritable",
                 Desk::Unwritable,
                 Desk::Unwritable,
                 true,
                 {kQuestion, kFailed},
                 Outcome::None},
        FlowCase{"NoDesktopAtAll",
                 Desk::Missing,
                 Desk::Missing,
                 true,
                 {kQuestion, kFailed},
                 Outcome::None}),
    [](const auto &param) { return std::string(param.param.name); });

TEST(DesktopShortcut, TargetsTheInstalledLauncherInTheCaseOnDisk)
{
    TempDir tmp;
    const QString prefix = tmp.file(QStringLiteral("D"));
    QDir().mkpath(prefix + QStringLiteral("/Orvan/menu"));
    EXPECT_EQ(menu::core::launcherTarget(prefix), prefix + QStringLiteral("/Orvan/menu/menu"));
    EXPECT_EQ(menu::core::launcherWorkingDir(prefix), prefix + QStringLiteral("/Orvan/menu/"));
    // Not installed yet: the fixed place as written.
    const QString other = tmp.file(QStringLiteral("E"));
    EXPECT_EQ(menu::core::launcherTarget(other), other + QStringLiteral("/ORVAN/MENU/menu"));
    // The working directory is cut after the last separator of either kind.
    EXPECT_EQ(menu::core::workingDirOf(QStringLiteral("/d/ORVAN/MENU/menu")),
              QStringLiteral("/d/ORVAN/MENU/"));
    EXPECT_EQ(menu::core::workingDirOf(QStringLiteral("D:\\ORVAN\\MENU\\menu.exe")),
              QStringLiteral("D:\\ORVAN\\MENU\\"));
    EXPECT_EQ(menu::core::workingDirOf(QStringLiteral("menu")), QString());
}

TEST(DesktopShortcut, LandsOnTheXdgDesktopOfTheUser)
{
    TempDir tmp;
    const QString home = tmp.file(QStringLiteral("jana"));
    tmp.write(QStringLiteral("jana/.config/user-dirs.dirs"),
              "XDG_DESKTOP_DIR=\"$HOME/Pracovná plocha\"\n");
    QDir().mkpath(home + QStringLiteral("/Pracovná plocha"));
    const menu::platform::XdgDesktopFolders desktops(home, QString());

    const std::vector<Box> shown = runCommand(desktops, QStringLiteral("/mnt/c"), true);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], (Box{BoxKind::Information, kCurrentUser}));
    const QString link = home + QStringLiteral("/Pracovná plocha/ORVAN.lnk");
    EXPECT_EQ(readLnk(link).value(QStringLiteral("Local path")),
              QStringLiteral("/mnt/c/ORVAN/MENU/menu"));

    // Once there, the next run only points at it.
    EXPECT_EQ(runCommand(desktops, QStringLiteral("/mnt/c"), true),
              (std::vector<Box>{{BoxKind::Information, kExists + link + QLatin1Char(')')}}));
}

} // namespace
