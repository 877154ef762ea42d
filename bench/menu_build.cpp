// Building and laying out the largest menu a package can hold (17 modules x 9 buttons x 9
// submenu entries: 153 buttons, 1377 entries) through the real main window, against its floor:
// the same window creating as many buttons and menu items with fixed texts and one fixed
// picture, reading no file.
//
//   bench_menu_build [PROGRAM]
//
// Two packages are built: one whose targets are all missing (text only), and one whose every
// target is a copy of PROGRAM (by default the test fixture, a Windows program with icons and a
// version), so that each button reads a version and an icon and each entry an icon.
//
// A "start" here forgets what the profile store kept. The listings of the package's folders
// and the decoded icons stay with the process: a real start makes each of them once per folder
// or distinct icon, not once per button or entry, so the first round costs hardly more.
#include "core/ButtonLayout.h"
#include "core/ModuleCodes.h"
#include "formats/TextCodec.h"
#include "gui/Faults.h"
#include "gui/MainWindow.h"
#include "gui/ModuleButton.h"
#include "gui/TemplatePictures.h"
#include "platform/Executables.h"
#include "platform/Shell.h"
#include "platform/ProfileFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#ifndef MENU_BENCH_PROGRAM
#define MENU_BENCH_PROGRAM ""
#endif

namespace {

using menu::gui::ModuleButton;
using menu::gui::ModuleMenuItem;
using menu::gui::TfMenuMain;

constexpr int kButtonsPerModule = 9;
constexpr int kEntriesPerButton = 9;
constexpr int kButtons = 17 * kButtonsPerModule;
constexpr int kRounds = 7;
constexpr std::chrono::nanoseconds kNeverSettled = std::chrono::hours(24 * 365 * 100);

class FixedClock final : public menu::platform::Clock {
  public:
    QDateTime now() const override { return QDateTime(QDate(2024, 3, 15), QTime(9, 30)); }
};

class LargeScreen final : public menu::platform::Screen {
  public:
    menu::platform::ScreenLimits limits() const override { return {1920, 1080}; }
};

// A build shows no box; one that does has gone wrong, and the run says so.
class CountingBoxes final : public menu::platform::MessageBoxes {
  public:
    menu::platform::BoxAnswer show(QWidget *, menu::platform::BoxKind, const QString &) override
    {
        ++shown;
        return menu::platform::BoxAnswer::Ok;
    }
    void showFault(QWidget *, const QString &, const QString &) override { ++shown; }
    int shown = 0;
};

// The system's store, which can be made to forget what it read: the first build after a start
// reads every module file once.
class RestartableStore final : public menu::platform::ProfileStore {
  public:
    std::optional<QString> read(const QString &file, const QString &section,
                                const QString &key) const override
    {
        return store_->read(file, section, key);
    }
    bool write(const QString &file, const QString &section, const QString &key,
               const QString &value) override
    {
        return store_->write(file, section, key, value);
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

class NoShell final : public menu::platform::Shell {
  public:
    int open(const QString &, const QString &) override { return menu::platform::kShellStarted; }
};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A package under root/ORVAN with every module full, as an installation writes it: 8-bit
// text in the Windows code page, CRLF. With program set, every target is a copy of it.
bool writePackage(const QString &root, const QString &program)
{
    const auto cp1250 = [](const QString &text) {
        return menu::formats::encodeCodePage(menu::formats::CodePage::Windows1250, text)
            .value_or(QByteArray());
    };
    if (!writeFile(root + QStringLiteral("/ORVAN/MENU/menu.ini"),
                   "[OPTIONS]\r\nLeft=0\r\nTop=0\r\nWidth=1600\r\nHeight=1000\r\n"))
        return false;
    QByteArray programBytes;
    if (!program.isEmpty()) {
        QFile in(program);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        programBytes = in.readAll();
    }
    for (const char *code : menu::core::ModuleCodes) {
        const QString module = QLatin1String(code);
        QByteArray text;
        for (int b = 1; b <= kButtonsPerModule; ++b) {
            const QString target =
                QStringLiteral("\\ORVAN\\%1\\program%2.exe").arg(module.toUpper()).arg(b);
            text += "[Menu" + QByteArray::number(b) + "]\r\nExe=" + cp1250(target) +
                    "\r\nNaz=" + cp1250(QStringLiteral("Účtovníctvo %1 %2").arg(module).arg(b)) +
                    "\r\nDop=" + cp1250(QStringLiteral("podvojné, škôlky")) + "\r\n\r\n";
            if (!programBytes.isEmpty() &&
                !writeFile(root + QString(target).replace(QLatin1Char('\\'), QLatin1Char('/')),
                           programBytes))
                return false;
        }
        for (int b = 1; b <= kButtonsPerModule; ++b) {
            for (int i = 1; i <= kEntriesPerButton; ++i) {
                const QString target = QStringLiteral("\\ORVAN\\%1\\nastroj%2%3.exe")
                                           .arg(module.toUpper())
                                           .arg(b)
                                           .arg(i);
                text += "[Menu" + QByteArray::number(b) + QByteArray::number(i) +
                        "]\r\nExe=" + cp1250(target) +
                        "\r\nNaz=" + cp1250(QStringLiteral("Nástroj č. %1").arg(i)) + "\r\n\r\n";
                if (!programBytes.isEmpty() &&
                    !writeFile(root + QString(target).replace(QLatin1Char('\\'), QLatin1Char('/')),
                               programBytes))
                    return false;
            }
        }
        if (!writeFile(root + QStringLiteral("/ORVAN/orvan-") + module + QStringLiteral(".ini"),
                       text))
            return false;
    }
    return true;
}

struct Launcher {
    explicit Launcher(const QString &root)
    {
        services.executablePath = root + QStringLiteral("/ORVAN/MENU/menu");
        services.profiles = &profiles;
        services.clock = &clock;
        services.screen = &screen;
        services.boxes = &boxes;
        services.versions = &menu::platform::systemVersionReader();
        services.icons = &menu::platform::systemIconReader();
        services.shell = &shell;
        window = std::make_unique<TfMenuMain>(services);
        window->show();
        QCoreApplication::processEvents();
    }
    RestartableStore profiles;
    FixedClock clock;
    LargeScreen screen;
    CountingBoxes boxes;
    NoShell shell;
    menu::platform::Services services;
    std::unique_ptr<TfMenuMain> window;
};

// What ButtonReadAll makes, with fixed texts and one picture and no file read.
void buildFixed(TfMenuMain &window, const QIcon &picture)
{
    const QString caption = QStringLiteral("Účtovníctvo Tav 1\rpodvojné, škôlky\rv2.0.1.15\r");
    const QString itemName = QStringLiteral("Nástroj č. 1");
    window.ButtonColumns = menu::core::buttonColumnsFor(window.Panel->width());
    window.ButtonRows = menu::core::buttonRowsFor(window.Panel->height());
    for (int n = 1; n <= kButtons; ++n) {
        window.ButtonCount = n;
        auto *button = new ModuleButton(window.Panel);
        button->setObjectName(QStringLiteral("BitBtn") + QString::number(n));
        button->CommandLinkHint = QStringLiteral("Tav1");
        button->setGeometry(0, 0, 0, menu::core::ButtonHeight);
        button->setCaption(QString::number(n));
        QObject::connect(button, &QToolButton::clicked, &window,
                         [&window, button] { window.ButtonClick(button); });
        button->setEnabled(true);
        button->setIcon(picture);
        button->setCaption(caption);
        auto *submenu = new QMenu(button);
        submenu->setObjectName(QStringLiteral("PopupMenuTav1"));
        for (int i = 1; i <= kEntriesPerButton; ++i) {
            auto *item = new ModuleMenuItem(itemName, submenu);
            item->Hint = QStringLiteral("Tav1") + QString::number(i);
            submenu->addAction(item);
            QObject::connect(item, &QAction::triggered, &window,
                             [&window, item] { window.PopupMenuIniClick(item); });
            item->setText(itemName);
            item->setEnabled(true);
            item->setIcon(picture);
        }
        button->PopupMenu = submenu;
        button->show();
    }
}

template <typename Build> double timed(TfMenuMain &window, Build &&build)
{
    window.ButtonFreeAll();
    QCoreApplication::sendPostedEvents();
    QElapsedTimer timer;
    timer.start();
    build();
    window.ButtonsArrange();
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
    Launcher real(packageRoot);
    Launcher bare(emptyRoot);
    const QIcon picture(
        QPixmap::fromImage(menu::gui::templatePicture(menu::gui::TemplatePicture::BitBtnDefault)));
    std::vector<double> floors, reals, agains, anews;
    const std::size_t readsBefore = real.profiles.fileReads();
    for (int round = 0; round < kRounds; ++round) {
        floors.push_back(timed(*bare.window, [&] { buildFixed(*bare.window, picture); }));
        real.profiles.restart();
        reals.push_back(timed(*real.window, [&] { real.window->ButtonReadAll(); }));
        agains.push_back(timed(*real.window, [&] { real.window->ButtonReadAll(); }));
    }
    const std::size_t readsKeeping = real.profiles.fileReads() - readsBefore;
    for (int round = 0; round < kRounds; ++round) {
        real.profiles.restart(false);
        anews.push_back(timed(*real.window, [&] { real.window->ButtonReadAll(); }));
    }
    Result result;
    result.floor = median(floors);
    result.real = median(reals);
    result.again = median(agains);
    result.anew = median(anews);
    result.fileReads = static_cast<double>(readsKeeping) / kRounds;
    result.buttons = real.window->ButtonCount;
    for (int n = 1; n <= real.window->ButtonCount; ++n) {
        if (const ModuleButton *button = real.window->moduleButton(n);
            button != nullptr && button->PopupMenu != real.window->PopupMenuDefaultBez)
            result.entries += static_cast<int>(button->PopupMenu->actions().size());
    }
    result.boxes = real.boxes.shown;
    return result;
}

void print(const char *name, const Result &result)
{
    std::printf("menu_build, %s: %d buttons, %d submenu entries%s\n", name, result.buttons,
                result.entries, result.boxes > 0 ? " (MESSAGE BOXES SHOWN)" : "");
    std::printf("  floor (fixed widgets)      %8.1f ms\n", result.floor);
    std::printf("  first build after a start  %8.1f ms (%.0f module file reads)\n", result.real,
                result.fileReads);
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
