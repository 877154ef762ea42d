// Starting the launcher with its package on a slow drive: the largest package (153 buttons,
// 1377 entries, every target a program with an icon and a version) seen through the latency
// file system at 0, 2 and 20 ms per request, without kernel caching and with an SMB client's
// short attribute cache.
//
//   bench_menu_latency [--modules N] [--deadline S] [--latencies 0,2,20] [PROGRAM]
//
// One line per cache mode and latency:
//   window        construction of the main window until it shows every button's caption;
//   complete      until every existence, version and icon is shown;
//   cached start  a second start (a new window and profile store, the user's cache of the
//                 first) until complete, and until its check of every target has ended;
//   operations    requests the first start sent to the file system;
//   serial round trips to the window: (window - window at 0 ms) / latency, the chain of
//                 requests that had to wait for each other before the window showed.
// A start whose filling is not complete by the deadline is reported as such.
#include "LargePackage.h"
#include "QuietServices.h"
#include "gui/ButtonGrid.h"
#include "gui/ErrorBoundary.h"
#include "gui/MainWindow.h"
#include "platform/Internet.h"
#include "platform/ProfileFiles.h"
#include "platform/ProgramFiles.h"
#include "platform/Shell.h"
#include "support/LatencyMount.h"
#include "gui/MessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>

#ifndef MENU_BENCH_PROGRAM
#define MENU_BENCH_PROGRAM ""
#endif

namespace {

using bench::CountingBoxes;
using bench::FixedClock;
using bench::LargeScreen;
using bench::NoShell;
using bench::Offline;
using menu::test::LatencyMount;

struct Options {
    int modules = 17;
    double deadlineS = 120;
    QList<int> latencies{0, 2, 20};
    QString program = QStringLiteral(MENU_BENCH_PROGRAM);
};

struct Start {
    double created = 0;  // ms: the window constructed (settings read), not shown yet
    double window = 0;   // ms
    double complete = 0; // ms; negative: not complete by the deadline
    double checked = 0;  // ms; negative: not checked by the deadline
    int buttons = 0;
    int boxes = 0;
};

// One start of the launcher installed at root: a new window with its own store and readers,
// and the user's cache in cacheDir.
Start start(const QString &root, const QString &cacheDir, double deadlineS)
{
    menu::platform::ProfileFiles profiles;
    FixedClock clock;
    LargeScreen screen;
    CountingBoxes boxes;
    menu::platform::FileVersionReader versions;
    menu::platform::FileIconReader icons;
    NoShell shell;
    Offline offline;
    menu::platform::Services services;
    services.executablePath = root + QStringLiteral("/ORVAN/MENU/menu");
    services.cacheDir = cacheDir;
    services.profiles = &profiles;
    services.clock = &clock;
    services.screen = &screen;
    services.versions = &versions;
    services.icons = &icons;
    services.shell = &shell;
    services.internet = &offline;

    Start result;
    QElapsedTimer timer;
    timer.start();
    auto window = std::make_unique<menu::gui::MainWindow>(services, boxes);
    result.created = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    window->show();
    // Painted with every caption; what the fill delivered meanwhile waits in the queue.
    window->repaint();
    const auto *grid = window->findChild<menu::gui::ButtonGrid *>(QStringLiteral("buttonGrid"));
    if (grid == nullptr)
        return result;
    result.window = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    result.buttons = grid->buttonCount();
    // Complete: every button shows its details (from the cache or checked); checked: the fill
    // has looked at every target.
    const auto everyButtonDetailed = [&] {
        for (const menu::core::MenuButton &button : grid->menu()) {
            if (!button.detailed)
                return false;
        }
        return true;
    };
    result.complete = -1;
    for (;;) {
        if (result.complete < 0 && everyButtonDetailed()) {
            window->repaint();
            result.complete = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        }
        if (!grid->filling() || timer.elapsed() > deadlineS * 1000)
            break;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    result.checked = grid->filling() ? -1 : static_cast<double>(timer.nsecsElapsed()) / 1e6;
    result.boxes = boxes.shown;
    return result;
}

QString millis(double ms)
{
    return ms < 0 ? QStringLiteral("not done")
                  : QString::number(ms, 'f', 0) + QStringLiteral(" ms");
}

bool run(const Options &options, const QString &package, LatencyMount::Cache cache)
{
    const char *mode = cache == LatencyMount::Cache::None ? "no cache" : "attribute cache";
    QTemporaryDir mounts;
    double windowAtZero = -1, createdAtZero = -1;
    for (const int latency : options.latencies) {
        const QString at = mounts.filePath(QStringLiteral("drive%1").arg(latency));
        LatencyMount mount(package, at, std::chrono::milliseconds(latency), cache);
        if (!mount.mounted()) {
            std::fprintf(stderr, "%s\n", qPrintable(mount.error()));
            return false;
        }
        QTemporaryDir userCache;
        // The process's first window pays once for what every later one finds ready (fonts,
        // styles): a start before the reference keeps that out of the round trips.
        if (latency == 0) {
            QTemporaryDir warmUp;
            (void)start(at, warmUp.path(), options.deadlineS);
        }
        const quint64 before = mount.operations();
        const Start first = start(at, userCache.path(), options.deadlineS);
        const quint64 operations = mount.operations() - before;
        const Start second = start(at, userCache.path(), options.deadlineS);
        if (latency == 0) {
            windowAtZero = first.window;
            createdAtZero = first.created;
        }
        QString trips = QStringLiteral("-");
        if (latency > 0 && windowAtZero >= 0)
            trips = QString::number((first.window - windowAtZero) / latency, 'f', 0);
        QString createdTrips = QStringLiteral("-");
        if (latency > 0 && createdAtZero >= 0)
            createdTrips = QString::number((first.created - createdAtZero) / latency, 'f', 0);
        std::printf("%s, latency %d ms: window %s, complete %s, cached start %s (checked %s), "
                    "operations %llu, serial round trips to the window %s (%s of them before the "
                    "menu is read; %d buttons%s)\n",
                    mode, latency, qPrintable(millis(first.window)),
                    qPrintable(millis(first.complete)), qPrintable(millis(second.complete)),
                    qPrintable(millis(second.checked)), static_cast<unsigned long long>(operations),
                    qPrintable(trips), qPrintable(createdTrips), first.buttons,
                    first.boxes + second.boxes > 0 ? ", MESSAGE BOXES SHOWN" : "");
        std::fflush(stdout);
    }
    return true;
}

Options parse(const QStringList &args)
{
    Options options;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--modules") && i + 1 < args.size())
            options.modules = qBound(1, args[++i].toInt(), 17);
        else if (args[i] == QLatin1String("--deadline") && i + 1 < args.size())
            options.deadlineS = args[++i].toDouble();
        else if (args[i] == QLatin1String("--latencies") && i + 1 < args.size()) {
            options.latencies.clear();
            for (const QString &value : args[++i].split(QLatin1Char(',')))
                options.latencies.push_back(value.toInt());
        } else
            options.program = args[i];
    }
    return options;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CountingBoxes faults;
    menu::gui::setFaultBoxes(&faults);
    const Options options = parse(QCoreApplication::arguments());
    if (const QString reason = LatencyMount::unavailableReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(reason));
        return 1;
    }
    QTemporaryDir dir;
    const QString package = dir.filePath(QStringLiteral("package"));
    if (options.program.isEmpty() ||
        !bench::writePackage(package, options.program, options.modules)) {
        std::fprintf(stderr, "cannot write the package\n");
        return 1;
    }
    // An installed package's files are older than the profile store's doubt about fresh
    // changes.
    QThread::msleep(
        static_cast<unsigned long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                       menu::platform::ProfileFiles::kSettledAge)
                                       .count() +
                                   500));
    std::printf("menu_latency: %d modules, every target a program\n", options.modules);
    const bool ok = run(options, package, LatencyMount::Cache::None) &&
                    run(options, package, LatencyMount::Cache::Attributes);
    menu::gui::setFaultBoxes(nullptr);
    return ok ? 0 : 1;
}
