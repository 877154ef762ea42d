// The new-version offer at start and the two update commands of the context menu: both end
// in the update dialog, and after a successful launcher update in its installer.
#include "core/InternetConnection.h"
#include "core/PackageExtract.h"
#include "core/UpdateOffer.h"
#include "gui/Faults.h"
#include "gui/LaunchFile.h"
#include "gui/MainWindow.h"
#include "gui/MenuUpdate.h"
#include "gui/StatusBarPanels.h"

#include <QAction>
#include <QDir>
#include <QFile>

namespace menu::gui {

namespace {
const QString kLauncher = QStringLiteral("O");
const QString kTeamViewer = QStringLiteral("T");
constexpr int kLastCheckPanel = 1;
} // namespace

void TfMenuMain::TestNewVersion()
{
    if (!core::versionTextLess(FileVersion, OrvanAktCis))
        return;
    // Asked once the window stands with its buttons, not while it is still being shown.
    QMetaObject::invokeMethod(
        this,
        [this] {
            guarded(this, [this] {
                const platform::BoxAnswer answer =
                    services_.boxes->show(this, platform::BoxKind::Confirmation,
                                          core::newVersionOfferText(OrvanAktCis, OrvanAktDat));
                if (answer == platform::BoxAnswer::Yes)
                    MenuUpdate(kLauncher, true);
            });
        },
        Qt::QueuedConnection);
}

void TfMenuMain::MenuAktClick(QObject *Sender)
{
    if (ProgressUpdateCheck) {
        services_.boxes->show(this, platform::BoxKind::Information, core::updateCheckRunningText());
        return;
    }
    if (Sender == MenuAktOrvan)
        MenuUpdate(kLauncher, false);
    else if (Sender == MenuAktTea)
        MenuUpdate(kTeamViewer, false);
}

void TfMenuMain::MenuUpdate(const QString &Prg, bool InstantStart)
{
    QString text, hint;
    if (!core::fInternetConnection(*services_.internet, text, hint)) {
        if (text.isEmpty())
            services_.boxes->show(this, platform::BoxKind::Warning, core::noInternetText());
        else
            services_.boxes->show(this, platform::BoxKind::Error,
                                  core::internetTestFailedText(text, hint));
        return;
    }

    const bool launcher = Prg == kLauncher;
    TfMenuUpdate dialog(*services_.boxes, this);
    dialog.xPrg = Prg;
    dialog.xInstantStart = InstantStart;
    dialog.xPathPrg = ProgramDir;
    dialog.xLicKonLastTxt = StatusBar->panelText(kLastCheckPanel).trimmed();
    if (launcher) {
        dialog.xComAktCis = FileVersion;
        dialog.xComAktDat = FileDatum;
        dialog.xIntAktCis = OrvanAktCis;
        dialog.xIntAktDat = OrvanAktDat;
        dialog.xIntAktFil = OrvanAktFil;
        dialog.xLocDirFile = QDir::tempPath() + QStringLiteral("/orvan_update.zip");
    } else {
        dialog.xComAktCis = TeaFileVersion;
        dialog.xIntAktCis = TeaAktCis;
        dialog.xIntAktFil = TeaAktFil;
        dialog.xLocDirFile = TeaFileExe;
    }
    dialog.exec();
    if (!dialog.yUspesne)
        return;

    if (launcher) {
        // Whether the installer started is not examined: LaunchFile has reported a failure,
        // and the launcher makes way for the installer all the same.
        LaunchFile(this, *services_.shell, *services_.boxes, QStringLiteral("ORVAN"),
                   core::installerPathOf(dialog.xLocDirFile));
        QFile::remove(dialog.xLocDirFile);
        close();
        return;
    }
    MenuRefreshClick();
}

} // namespace menu::gui
