#include "core/UpdateChecker.h"

#include "core/Texts.h"
#include "core/UpdateAddress.h"
#include "core/VersionInfo.h"
#include "formats/ProfileText.h"
#include "platform/Files.h"

namespace menu::core {

UpdateChecker::UpdateChecker(Context context, QObject *parent)
    : QObject(parent), context_(std::move(context))
{
    timer_.setObjectName(QStringLiteral("updateCheckTimer"));
    timer_.setSingleShot(true);
    timer_.setInterval(kDelayMs);
    connect(&timer_, &QTimer::timeout, this, &UpdateChecker::fire);
    connect(&job_, &BackgroundJob::finished, this, &UpdateChecker::finish);
}

UpdateChecker::~UpdateChecker()
{
    job_.cancel();
}

void UpdateChecker::load()
{
    launcher_ = context_.settings.launcherAnnouncement();
    teamViewer_ = context_.settings.teamViewerAnnouncement();
    frequency_ = context_.settings.checkFrequency();
    lastCheck_ = context_.settings.lastCheck();
}

void UpdateChecker::start()
{
    // While a later launcher waits to be installed there is nothing to look for.
    if (isLaterVersion(launcher_.version, context_.launcherVersion)) {
        Q_EMIT noticeChanged(texts::newerVersionNotice());
        return;
    }
    startTimer();
}

void UpdateChecker::startTimer()
{
    timer_.start();
}

QString UpdateChecker::documentPath() const
{
    return context_.programDir + QLatin1String(kUpdateInfoFileName);
}

void UpdateChecker::fire()
{
    if (job_.running())
        return; // the running check finishes on its own
    if (frequency_ != kCheckAtStart && !requested_) {
        Q_EMIT noticeChanged(texts::switchedOffNotice());
        return;
    }
    Q_EMIT noticeChanged(texts::progressNotice());
    auto outcome = std::make_shared<UpdateCheckOutcome>();
    const platform::InternetState &internet = context_.internet;
    const QString url = updateInfoUrl();
    const QString path = documentPath();
    const bool started = job_.start([outcome, &internet, url, path](BackgroundJob::Control &job) {
        *outcome = runUpdateCheck(internet, url, path, &job.cancel());
    });
    if (!started) {
        requested_ = false;
        Q_EMIT noticeChanged(texts::failedCheckNotice({true, false, false, texts::checkNotStarted(), {}}));
        return;
    }
    outcome_ = std::move(outcome);
}

void UpdateChecker::finish(bool cancelled)
{
    requested_ = false;
    const std::shared_ptr<UpdateCheckOutcome> outcome = std::move(outcome_);
    if (cancelled || outcome == nullptr)
        return;
    if (!job_.escaped().isEmpty()) {
        Q_EMIT noticeChanged(texts::failedCheckNotice(
            {true, false, false, texts::downloadCritical(),
             texts::downloadCritical() + QStringLiteral("\r\r") + job_.escaped()}));
        return;
    }
    if (!outcome->connected || !outcome->downloaded) {
        Q_EMIT noticeChanged(texts::failedCheckNotice(*outcome));
        return;
    }
    const QChar separator = context_.regional != nullptr
                                ? context_.regional->formats().timeSeparator()
                                : QLatin1Char(':');
    lastCheck_ = lastCheckText(context_.clock.now(), separator);
    Q_EMIT checked(lastCheck_);
    store(*outcome);
}

void UpdateChecker::store(const UpdateCheckOutcome &)
{
    const QString path = documentPath();
    if (!platform::exists(path))
        return;
    // Anything larger is no profile file and announces nothing.
    const Result<QByteArray> bytes = platform::readWholeFile(path, formats::kProfileFileMax);
    if (!bytes.ok() && !bytes.failure().is(std::errc::file_too_large)) {
        Q_EMIT noticeChanged(texts::storeFailedNotice(texts::documentNotRead(bytes.failure())));
        return;
    }
    const Status removed = platform::removeFile(path);
    const UpdateInfo info = readUpdateInfo(bytes.ok() ? *bytes : QByteArray());
    launcher_ = info.launcher;
    teamViewer_ = info.teamViewer;
    if (Status stored = context_.settings.saveAnnouncements(launcher_, teamViewer_); !stored.ok()) {
        Q_EMIT noticeChanged(texts::storeFailedNotice(texts::settingsNotWritten(stored.failure())));
        return;
    }
    // The next check replaces the file anyway; the announcements above are stored all the same.
    if (!removed.ok()) {
        Q_EMIT noticeChanged(texts::storeFailedNotice(texts::documentNotRemoved(removed.failure())));
        return;
    }
    Q_EMIT noticeChanged({});
}

} // namespace menu::core
