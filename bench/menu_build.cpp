// Building and laying out the largest menu a package can hold (17 modules x 9 buttons x 9
// submenu entries: 153 buttons, 1377 entries) through the real main window, against its floor:
// the same window's button grid creating as many buttons and menu items from a menu with fixed
// texts and one fixed picture, reading no file.
//
//   bench_menu_build [PROGRAM]
//
// Two packages are built: one whose targets are all missing (text only), and one whose every
// target is a copy of PROGRAM (by default the test fixture, a Windows program with icons and a
// version), so that each button reads a version and an icon and each entry an icon.
//
// A build is the window's refresh ("Obnoviť"). A "start" here forgets what the profile store
// kept. The listings of the package's folders
// and the decoded icons stay with the process: a real start makes each of them once per folder
// or distinct icon, not once per button or entry, so the first round costs hardly more.
#include "LargePackage.h"
#include "QuietServices.h"
#include "core/MenuModel.h"
#include "formats/TextCodec.h"
#include "gui/ButtonGrid.h"
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "gui/ModuleButton.h"
#include "gui/TemplatePictures.h"
#include "platform/Internet.h"
#include "platform/ProfileFiles.h"
#include "platform/ProgramFiles.h"
#include "platform/Shell.h"
#include "gui/MessageBoxes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#ifndef MENU_BENCH_PROGRAM
#define MENU_BENCH_PROGRAM ""
#endif

namespace {

using menu::gui::ButtonGrid;
using menu::gui::MainWindow;
using menu::gui::ModuleButton;

using bench::kButtonsPerModule;
using bench::kEntriesPerButton;
using bench::writeFile;
using bench::writePackage;
constexpr int kButtons = 17 * kButtonsPerModule;
constexpr int kRounds = 7;
using bench::CountingBoxes;
using bench::FixedClock;
using bench::LargeScreen;
using bench::NoShell;
using bench::Offline;

constexpr std::chrono::nanoseconds kNeverSettled = std::chrono::hours(24 * 365 * 100);

// The system's store, which can be made to forget what it read: the first build after a start
// reads every module file once.
class RestartableStore final : public menu::platform::ProfileStore {
  public:
    std::optional<QString> read(const QString &file, const QString &section,
                                const QString &key) const override
    {
        return store_->read(file, section, key);
    }
    std::shared_ptr<const menu::formats::ProfileIndex> readAll(const QString &file) const override
    {
        return store_->readAll(file);
    }
    menu::Status write(const QString &file, const QString &section, const QString &key,
                       const QString &value) override
    {
        return store_->write(file, section, key, value);
    }
    menu::Status writeValues(const QString &file, const QList<Value> &values,
                             const menu::platform::LockWait &wait) override
    {
        return store_->writeValues(file, values, wait);
    }
    // Without keeping, every read reads its file anew, as a store without memory does.
    void restart(bool keeping = true)
    {
        reads_ += store_->fileReads();
        store_ = keeping ? std::make_unique<menu::platform::ProfileFiles>()
                         : std::make_unique<menu::platform::ProfileFiles>(kNeverSettled);
    }
    std::size_t fileReads() const { return reads_ + store_->fileReads(); }

  private:
    std::unique_ptr<menu::platform::ProfileFiles> store_ =
        std::make_unique<menu::platform::ProfileFiles>();
    std::size_t reads_ = 0;
};

// The floor's one picture, whatever the file.
class FixedIcons final : public menu::platform::IconReader {
  public:
    QImage largeIcon(const QString &) const override { return picture_; }

  private:
    QImage picture_ = menu::gui::templatePicture(menu::gui::TemplatePicture::ProgramGeneric);
};

struct Launcher {
    Launcher(const QString &root, const menu::platform::IconReader &iconReader)
    {
        services.executablePath = root + QStringLiteral("/ORVAN/MENU/menu");
        services.profiles = &profiles;
        services.clock = &clock;
        services.screen = &screen;
        services.versions = &versions;
        services.icons = &iconReader;
        services.shell = &shell;
        services.internet = &offline;
        window = std::make_unique<MainWindow>(services, boxes);
        window->show();
        QCoreApplication::processEvents();
        grid = window->findChild<ButtonGrid *>(QStringLiteral("buttonGrid"));
    }
    RestartableStore profiles;
    FixedClock clock;
    LargeScreen screen;
    CountingBoxes boxes;
    menu::platform::FileVersionReader versions;
    NoShell shell;
    Offline offline;
    menu::platform::Services services;
    std::unique_ptr<MainWindow> window;
    ButtonGrid *grid = nullptr;
};

// What a refresh gives the grid, with fixed texts and targets whose pictures need no file:
// every button with its details, one picture for all.
std::vector<menu::core::MenuButton> fixedMenu()
{
    const QImage picture = menu::gui::templatePicture(menu::gui::TemplatePicture::ProgramGeneric);
    std::vector<menu::core::MenuButton> buttons;
    for (int n = 1; n <= kButtons; ++n) {
        menu::core::MenuButton button;
        button.key = {QStringLiteral("Tav"), 1 + (n - 1) % kButtonsPerModule, 0};
        button.name = QStringLiteral("Účtovníctvo Tav 1");
        button.second = QStringLiteral("podvojné, škôlky");
        button.target = QStringLiteral("/ORVAN/TAV/program1.exe");
        button.detailed = true;
        button.exists = true;
        button.icon = picture;
        button.version = {menu::core::VersionResult::Found, QStringLiteral("2.0.1.15")};
        for (int i = 1; i <= kEntriesPerButton; ++i) {
            menu::core::MenuEntry entry;
            entry.key = {button.key.module, button.key.button, i};
            entry.name = QStringLiteral("Nástroj č. 1");
            entry.target = QStringLiteral("/ORVAN/TAV/nastroj11.exe");
            entry.exists = true;
            entry.icon = picture;
            entry.picture = menu::core::EntryPicture::ProgramIcon;
            button.entries.push_back(entry);
        }
        buttons.push_back(button);
    }
    return buttons;
}

// The time of one build into an empty grid, laid out, its details filled in and its posted
// events delivered.
template <typename Build> double timed(ButtonGrid &grid, Build &&build)
{
    grid.rebuild({});
    QCoreApplication::sendPostedEvents();
    QElapsedTimer timer;
    timer.start();
    build();
    while (grid.filling())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Result {
    double floor = 0;
    double real = 0;      // the first build after a start
    double again = 0;     // a refresh
    double anew = 0;      // the first build, every file read anew at every read
    double fileReads = 0; // per first build
    int buttons = 0;
    int entries = 0;
    int boxes = 0;
};

Result measure(const QString &packageRoot, const QString &emptyRoot)
{
    const menu::platform::FileIconReader fileIcons;
    const FixedIcons fixedIcons;
    Launcher real(packageRoot, fileIcons);
    Launcher bare(emptyRoot, fixedIcons);
    if (real.grid == nullptr || bare.grid == nullptr) {
        std::fprintf(stderr, "the main window has no button grid\n");
        std::exit(1);
    }
    const std::vector<menu::core::MenuButton> fixed = fixedMenu();
    std::vector<double> floors, reals, agains, anews;
    const std::size_t readsBefore = real.profiles.fileReads();
    for (int round = 0; round < kRounds; ++round) {
        floors.push_back(timed(*bare.grid, [&] { bare.grid->rebuild(fixed); }));
        real.profiles.restart();
        reals.push_back(timed(*real.grid, [&] { real.window->refresh(); }));
        agains.push_back(timed(*real.grid, [&] { real.window->refresh(); }));
    }
    const std::size_t readsKeeping = real.profiles.fileReads() - readsBefore;
    for (int round = 0; round < kRounds; ++round) {
        real.profiles.restart(false);
        anews.push_back(timed(*real.grid, [&] { real.window->refresh(); }));
    }
    Result result;
    result.floor = median(floors);
    result.real = median(reals);
    result.again = median(agains);
    result.anew = median(anews);
    result.fileReads = static_cast<double>(readsKeeping) / kRounds;
    result.buttons = real.grid->buttonCount();
    const QMenu *noEntries = real.grid->findChild<QMenu *>(QStringLiteral("noEntriesMenu"));
    for (int n = 1; n <= real.grid->buttonCount(); ++n) {
        if (const ModuleButton *button = real.grid->findChild<ModuleButton *>(
                QStringLiteral("moduleButton") + QString::number(n), Qt::FindDirectChildrenOnly);
            button != nullptr && button->submenu() != nullptr && button->submenu() != noEntries)
            result.entries += static_cast<int>(button->submenu()->actions().size());
    }
    result.boxes = real.boxes.shown;
    return result;
}

void print(const char *name, const Result &result)
{
    std::printf("menu_build, %s: %d buttons, %d submenu entries%s\n", name, result.buttons,
                result.entries, result.boxes > 0 ? " (MESSAGE BOXES SHOWN)" : "");
    std::printf("  floor (fixed widgets)      %8.1f ms\n", result.floor);
    std::printf(
        "  first build after a start  %8.1f ms (%.0f files read through the profile store)\n",
        result.real, result.fileReads);
    std::printf("  refresh                    %8.1f ms\n", result.again);
    std::printf("  ratio, first build         %8.2f\n", result.real / result.floor);
    std::printf("  ratio, refresh             %8.2f\n", result.again / result.floor);
    std::printf("  ratio, every file read anew at every read %8.2f (%.1f ms)\n",
                result.anew / result.floor, result.anew);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CountingBoxes faults;
    menu::gui::setFaultBoxes(&faults);
    const QString program =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(MENU_BENCH_PROGRAM);

    QTemporaryDir dir;
    const QString empty = dir.filePath(QStringLiteral("empty"));
    const QString textOnly = dir.filePath(QStringLiteral("text"));
    const QString programs = dir.filePath(QStringLiteral("programs"));
    if (!writeFile(empty + QStringLiteral("/ORVAN/MENU/menu.ini"),
                   "[OPTIONS]\r\nLeft=0\r\nTop=0\r\nWidth=1600\r\nHeight=1000\r\n") ||
        !writePackage(textOnly, QString())) {
        std::fprintf(stderr, "cannot write the package\n");
        return 1;
    }
    const bool withPrograms = !program.isEmpty() && writePackage(programs, program);
    if (!withPrograms)
        std::fprintf(stderr, "no program to copy; only the text-only package is built\n");
    // An installed package's files are older than the store's doubt about fresh changes.
    QThread::msleep(
        static_cast<unsigned long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       menu::platform::ProfileFiles::kSettledAge)
                                       .count() +
                                   500));

    print("targets missing", measure(textOnly, empty));
    if (withPrograms)
        print("targets are programs with icons and versions", measure(programs, empty));
    menu::gui::setFaultBoxes(nullptr);
    return 0;
}
