// The command that puts the launcher's shortcut on a desktop: what the user is asked and told,
// and the desktop entry it writes, read back and started by the desktop's own library (GLib).
#include "core/DesktopShortcut.h"

#include "platform/posix/PosixDesktopFolders.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

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
    menu::platform::PosixDesktopFolders system_;
};

// What a desktop looks like before the command runs.
enum class Desk {
    Missing,   // the system has no such folder
    Empty,     // a writable folder without a shortcut
    HasLink,   // ORVAN.lnk is already there (written for Windows, or by an older launcher)
    HasEntry,  // ORVAN.desktop is already there
    Unwritable // the folder's path is taken by a file, so nothing can be written into it
};

enum class Outcome { None, Shared, Own };

struct FlowCase {
    const char *name;
    Desk shared;
    Desk own;
    bool agree;
    std::vector<QString> boxes; // texts in order; "shared"/"own" stand for the existing files
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
    case Desk::HasEntry:
        tmp.write(name + QStringLiteral("/ORVAN.desktop"), "someone else's");
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

// The values of a desktop entry as GLib reads them: each key=value line of its one group.
QMap<QString, QString> entryValues(const QString &path)
{
    QMap<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return values;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(QString::fromUtf8(line.left(equals)),
                          QString::fromUtf8(line.mid(equals + 1)));
    }
    return values;
}

// The file that stands for a desktop's shortcut before the command runs.
QString existingFile(const QString &folder, Desk desk)
{
    return folder + (desk == Desk::HasEntry ? QStringLiteral("/ORVAN.desktop")
                                            : QStringLiteral("/ORVAN.lnk"));
}

TEST_P(DesktopFlow, BoxesAndTheWrittenShortcut)
{
    const FlowCase &c = GetParam();
    TempDir tmp;
    const QString prefix = tmp.file(QStringLiteral("Účtovníctvo"));
    QDir().mkpath(prefix + QStringLiteral("/ORVAN/MENU"));
    const QString sharedDir = prepare(tmp, QStringLiteral("Verejné"), c.shared);
    const QString ownDir = prepare(tmp, QStringLiteral("Plocha"), c.own);
    const bool rootEntryBefore = QFileInfo::exists(QStringLiteral("/ORVAN.desktop"));

    const std::vector<Box> shown = runCommand(FixedDesktops(sharedDir, ownDir), prefix, c.agree);

    std::vector<Box> expected;
    for (const QString &text : c.boxes) {
        if (text == QLatin1String("shared") || text == QLatin1String("own")) {
            const bool shared = text == QLatin1String("shared");
            expected.emplace_back(
                BoxKind::Information,
                kExists + existingFile(shared ? sharedDir : ownDir, shared ? c.shared : c.own) +
                    QLatin1Char(')'));
        } else if (text == kQuestion) {
            expected.emplace_back(BoxKind::Confirmation, text);
        } else {
            expected.emplace_back(text == kFailed ? BoxKind::Error : BoxKind::Information, text);
        }
    }
    EXPECT_EQ(shown, expected);

    // A shortcut that was there stays as it was; a new one is where the boxes say.
    for (const auto &[desk, folder, outcome] : {std::tuple{c.shared, sharedDir, Outcome::Shared},
                                                std::tuple{c.own, ownDir, Outcome::Own}}) {
        if (desk == Desk::HasLink || desk == Desk::HasEntry) {
            QFile existing(existingFile(folder, desk));
            ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
            EXPECT_EQ(existing.readAll(), QByteArray("someone else's"));
        } else if (desk == Desk::Empty) {
            EXPECT_EQ(QFileInfo::exists(folder + QStringLiteral("/ORVAN.desktop")),
                      c.written == outcome)
                << folder.toStdString();
            EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/ORVAN.lnk")));
        }
    }
    if (c.written != Outcome::None) {
        const QString entry =
            (c.written == Outcome::Shared ? sharedDir : ownDir) + QStringLiteral("/ORVAN.desktop");
        const QMap<QString, QString> values = entryValues(entry);
        EXPECT_EQ(values.value(QStringLiteral("Type")), QStringLiteral("Application"));
        EXPECT_EQ(values.value(QStringLiteral("Name")), QStringLiteral("ORVAN"));
        EXPECT_EQ(values.value(QStringLiteral("Exec")),
                  QLatin1Char('"') + prefix + QStringLiteral("/ORVAN/MENU/menu\""));
        EXPECT_EQ(values.value(QStringLiteral("Path")), prefix + QStringLiteral("/ORVAN/MENU/"));
        EXPECT_FALSE(values.value(QStringLiteral("Icon")).isEmpty());
        // Desktops run only an entry with its run bit.
        EXPECT_TRUE(QFileInfo(entry).isExecutable());
    }
    // A desktop the system lacks never turns into a shortcut at the root.
    if (!rootEntryBefore) {
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/ORVAN.desktop")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesktopFlow,
    ::testing::Values(
        FlowCase{
            "LinkOnSharedDesktop", Desk::HasLink, Desk::Empty, true, {"shared"}, Outcome::None},
        FlowCase{
            "EntryOnSharedDesktop", Desk::HasEntry, Desk::Empty, true, {"shared"}, Outcome::None},
        FlowCase{"OnBothDesktops", Desk::HasLink, Desk::HasEntry, true, {"shared"}, Outcome::None},
        FlowCase{"LinkOnOwnDesktop", Desk::Empty, Desk::HasLink, true, {"own"}, Outcome::None},
        FlowCase{"EntryOnOwnDesktopNoShared",
                 Desk::Missing,
                 Desk::HasEntry,
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

// The shortcut on the user's XDG desktop, started the way the desktop starts it (GLib's
// launcher, gio launch): the launcher runs in its own directory, wherever the package lies.
TEST(DesktopShortcut, TheDesktopStartsTheLauncherInItsDirectory)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty())
        GTEST_SKIP() << "gio starts desktop entries as the desktop does";
    for (const char *drive : {"/mnt/c", "/Účtovníctvo 2024", "/x $HOME `id` \"q\" 'a' 100% \\d"}) {
        SCOPED_TRACE(drive);
        TempDir tmp;
        const QString home = tmp.file(QStringLiteral("jana"));
        tmp.write(QStringLiteral("jana/.config/user-dirs.dirs"),
                  "XDG_DESKTOP_DIR=\"$HOME/Pracovná plocha\"\n");
        QDir().mkpath(home + QStringLiteral("/Pracovná plocha"));
        const QString prefix = tmp.path() + QString::fromUtf8(drive);
        const QString ran = tmp.file(QStringLiteral("ran.txt"));
        const QString launcher =
            tmp.write(prefix.mid(tmp.path().size() + 1) + QStringLiteral("/ORVAN/MENU/menu"),
                      "#!/bin/sh\npwd > '" + QFile::encodeName(ran) + "'\n");
        QFile::setPermissions(launcher, QFile::permissions(launcher) | QFile::ExeOwner);
        const menu::platform::PosixDesktopFolders desktops(home, QString());

        const std::vector<Box> shown = runCommand(desktops, prefix, true);
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[1], (Box{BoxKind::Information, kCurrentUser}));
        const QString entry = home + QStringLiteral("/Pracovná plocha/ORVAN.desktop");

        QProcess gio;
        gio.start(QStringLiteral("gio"), {QStringLiteral("launch"), entry});
        ASSERT_TRUE(gio.waitForFinished(30000));
        EXPECT_EQ(gio.exitCode(), 0) << gio.readAllStandardError().toStdString();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(ran).size() > 0; }, 30000));
        EXPECT_EQ(QString::fromLocal8Bit(tmp.read(QStringLiteral("ran.txt"))).trimmed(),
                  prefix + QStringLiteral("/ORVAN/MENU"));

        // Once there, the next run only points at it.
        EXPECT_EQ(runCommand(desktops, prefix, true),
                  (std::vector<Box>{{BoxKind::Information, kExists + entry + QLatin1Char(')')}}));
    }
}

} // namespace
