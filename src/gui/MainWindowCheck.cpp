// The background update check of the main window: the start decision, the timer, starting the
// worker, and applying its outcome on the user-interface thread.
#include "widgets/DateUtil.h"
#include "formats/ProfileText.h"
#include "core/UpdateAddress.h"
#include "core/UpdateCheck.h"
#include "gui/Faults.h"
#include "gui/MainWindow.h"
#include "gui/UpdateWorker.h"
#include "platform/Regional.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <stdexcept>

namespace menu::gui {

namespace {

// Ends a check whatever happened in it, in the order the update commands rely on.
class CheckEnd {
  public:
    explicit CheckEnd(TfMenuMain &window) : window_(window) {}
    ~CheckEnd()
    {
        window_.LicKonTeraz = false;
        window_.ProgressUpdateCheck = false;
    }
    CheckEnd(const CheckEnd &) = delete;
    CheckEnd &operator=(const CheckEnd &) = delete;

  private:
    TfMenuMain &window_;
};

} // namespace

void TfMenuMain::InfoLabelSet(const core::InfoNotice &notice)
{
    // Qt draws a lone CR as a blank; the notices mean a line break there.
    LabUpdateInfo->setText(core::labelLines(notice.text));
    LabUpdateInfo->setToolTip(core::labelLines(notice.hint));
    QPalette colours = LabUpdateInfo->palette();
    colours.setColor(QPalette::WindowText,
                     notice.red ? QColor(Qt::red) : palette().color(QPalette::WindowText));
    LabUpdateInfo->setPalette(colours);
    LabUpdateInfo->repaint();
}

QString TfMenuMain::UpdateInfoPath() const
{
    return ProgramDir + QLatin1String(core::kUpdateInfoFileName);
}

void TfMenuMain::UpdateCheckStart()
{
    // While a newer launcher waits to be installed there is nothing to look for.
    if (core::announcedIsNewer(OrvanAktCis, FileVersion)) {
        InfoLabelSet(core::newerVersionNotice());
        return;
    }
    TimerDownload->start();
}

void TfMenuMain::TimerDownloadTimer()
{
    TimerDownload->stop();
    Download();
}

void TfMenuMain::Download()
{
    if (ProgressUpdateCheck)
        return; // the running check finishes on its own
    if (LicKon != 0 && !LicKonTeraz) {
        InfoLabelSet(core::switchedOffNotice());
        return;
    }
    ProgressUpdateCheck = true;
    InfoLabelSet(core::progressNotice());
    try {
        TVlakno::Start(services_.internet, core::UpdateInfoUrl(), UpdateInfoPath(), this,
                       [this](const core::UpdateCheckOutcome &outcome) {
                           guarded(this, [this, &outcome] { UpdateCheckDone(outcome); });
                       });
    } catch (const std::exception &error) {
        ProgressUpdateCheck = false;
        services_.boxes->show(this, platform::BoxKind::Error,
                              QStringLiteral("POZOR ! Kontrolu aktualizácií nie je možné "
                                             "spustiť !\r") +
                                  QString::fromLocal8Bit(error.what()));
    }
}

void TfMenuMain::UpdateCheckDone(const core::UpdateCheckOutcome &outcome)
{
    const CheckEnd end(*this);
    if (!outcome.connected || !outcome.downloaded) {
        InfoLabelSet(core::failedCheckNotice(outcome));
        return;
    }
    const QChar separator = services_.regional != nullptr
                                ? core::timeSeparator(services_.regional->formats())
                                : QLatin1Char(':');
    LicKonLast = core::licKonLastText(services_.clock->now(), separator);
    StatusBarSet(true);
    try {
        UpdateInfoStore();
    } catch (const core::SettingsWriteError &error) {
        InfoLabelSet(core::storeFailedNotice(error.text()));
        return;
    } catch (const std::exception &error) {
        InfoLabelSet(core::storeFailedNotice(QString::fromUtf8(error.what())));
        return;
    }
    InfoLabelSet({});
}

void TfMenuMain::UpdateInfoStore()
{
    const QString path = UpdateInfoPath();
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error(QStringLiteral("Súbor %1 nie je možné čítať: %2")
                                     .arg(QDir::toNativeSeparators(path), file.errorString())
                                     .toStdString());
    }
    // Anything larger is no profile file and announces nothing.
    const QByteArray bytes = file.size() <= core::kProfileFileMax ? file.readAll() : QByteArray();
    file.close();
    const bool removed = file.remove();
    const QString removeError = file.errorString();

    const core::UpdateInfo info = core::readUpdateInfo(bytes);
    OrvanAktCis = info.OrvanAktCis;
    OrvanAktDat = info.OrvanAktDat;
    OrvanAktFil = info.OrvanAktFil;
    TeaAktCis = info.TeaAktCis;
    TeaAktFil = info.TeaAktFil;
    const QString orvan = QStringLiteral("ORVAN");
    const QString tea = QStringLiteral("TEA");
    menuIni_->MenuIniWrite(orvan, QStringLiteral("AktCis"), OrvanAktCis);
    menuIni_->MenuIniWrite(orvan, QStringLiteral("AktDat"), OrvanAktDat);
    menuIni_->MenuIniWrite(orvan, QStringLiteral("AktFil"), OrvanAktFil);
    menuIni_->MenuIniWrite(tea, QStringLiteral("AktCis"), TeaAktCis);
    menuIni_->MenuIniWrite(tea, QStringLiteral("AktFil"), TeaAktFil);

    // The next check replaces the file anyway; the announcements above are stored all the same.
    if (!removed) {
        throw std::runtime_error(QStringLiteral("Súbor %1 nie je možné zmazať: %2")
                                     .arg(QDir::toNativeSeparators(path), removeError)
                                     .toStdString());
    }
}

} // namespace menu::gui
