#include "core/UpdateChecker.h"

#include "core/Texts.h"
#include "core/TrustTexts.h"
#include "core/UpdateTexts.h"
#include "core/UpdateAddress.h"
#include "core/VersionInfo.h"

namespace menu::core {

namespace {
// A check that reached no accepted document, as the label tells it.
UpdateCheckOutcome failedOutcome(QString text, QString hint = {}, bool refused = false)
{
    UpdateCheckOutcome outcome;
    outcome.connected = true;
    outcome.text = std::move(text);
    outcome.hint = std::move(hint);
    outcome.refused = refused;
    return outcome;
}
} // namespace

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

LabelNotice UpdateChecker::restingNotice() const
{
    if (isLaterVersion(launcher_.version, context_.launcherVersion))
        return texts::newerVersionNotice();
    return {};
}

void UpdateChecker::start()
{
    // The waiting version is told at once; the check runs all the same, quietly, so that a
    // version the server no longer announces goes away.
    waiting_ = isLaterVersion(launcher_.version, context_.launcherVersion);
    if (waiting_)
        Q_EMIT noticeChanged(texts::newerVersionNotice());
    startTimer();
}

void UpdateChecker::setCheckFrequency(std::uint8_t frequency)
{
    frequency_ = frequency;
    if (frequency_ != kCheckAtStart && !job_.running())
        waiting_ = false;
}

void UpdateChecker::startTimer()
{
    timer_.start();
}

void UpdateChecker::fire()
{
    if (job_.running())
        return; // the running check finishes on its own
    if (frequency_ != kCheckAtStart && !requested_) {
        if (!waiting_)
            Q_EMIT noticeChanged(texts::switchedOffNotice());
        return;
    }
    if (!context_.trust.updatesAllowed()) {
        requested_ = false;
        waiting_ = false;
        Q_EMIT noticeChanged(texts::failedCheckNotice(failedOutcome(texts::updatesNeedKeys())));
        return;
    }
    if (!waiting_)
        Q_EMIT noticeChanged(texts::progressNotice());
    auto outcome = std::make_shared<UpdateCheckOutcome>();
    const platform::InternetState &internet = context_.internet;
    const QString url = updateInfoUrl(context_.updateAddress);
    const bool started = job_.start(
        [outcome, &internet, url, keys = context_.trust.keys](BackgroundJob::Control &job) {
            *outcome = runUpdateCheck(internet, url, keys, &job.cancel());
        });
    if (!started) {
        requested_ = false;
        waiting_ = false;
        Q_EMIT noticeChanged(texts::failedCheckNotice(failedOutcome(texts::checkNotStarted())));
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
        waiting_ = false;
        Q_EMIT noticeChanged(texts::failedCheckNotice(
            failedOutcome(texts::downloadCritical(),
                          texts::downloadCritical() + QStringLiteral("\r\r") + job_.escaped())));
        return;
    }
    // A refused document is a failed check: nothing of it is stored. While a later launcher
    // waits, a check that did not reach the document leaves the label saying so, as before;
    // a refusal is told.
    if (!outcome->accepted || !outcome->info) {
        if (waiting_ && !outcome->refused)
            return;
        waiting_ = false;
        Q_EMIT noticeChanged(texts::failedCheckNotice(*outcome));
        return;
    }
    if (!keep(*outcome))
        return;
    const QChar separator = context_.regional != nullptr
                                ? context_.regional->formats().timeSeparator()
                                : QLatin1Char(':');
    lastCheck_ = lastCheckText(context_.clock.now(), separator);
    Q_EMIT checked(lastCheck_);
    store(*outcome->info);
}

std::optional<UpdateInfo> UpdateChecker::trustedInfo() const
{
    if (context_.trust.signedOnly())
        return trustedUpdateInfo(context_.trust, context_.settings);
    if (!context_.trust.allowUnsigned)
        return std::nullopt;
    return UpdateInfo{launcher_, teamViewer_};
}

bool UpdateChecker::keep(const UpdateCheckOutcome &outcome)
{
    if (!context_.trust.signedOnly())
        return true;
    const std::optional<SignedAnnouncement> kept = keptAnnouncement(context_.trust);
    if (kept && outcome.signedAt < kept->signedAt) {
        waiting_ = false;
        Q_EMIT noticeChanged(texts::failedCheckNotice(
            failedOutcome(texts::olderAnnouncement(),
                          texts::olderAnnouncementHint(outcome.signedAt, kept->signedAt), true)));
        return false;
    }
    const Status stored = keepAnnouncement(
        context_.trust, {outcome.document, outcome.signatureFile, outcome.signedAt});
    if (!stored.ok()) {
        waiting_ = false;
        Q_EMIT noticeChanged(texts::storeFailedNotice(texts::reason(stored.failure())));
        return false;
    }
    return true;
}

void UpdateChecker::store(const UpdateInfo &info)
{
    launcher_ = info.launcher;
    teamViewer_ = info.teamViewer;
    SettingsSaver::Round round = [&settings = context_.settings, launcher = launcher_,
                                  teamViewer = teamViewer_](const platform::LockWait &wait) {
        return settings.saveAnnouncements(launcher, teamViewer, wait);
    };
    if (context_.saver == nullptr) {
        stored(round(LauncherSettings::kFullWait));
        return;
    }
    // Another seat holding menu.ini must not hold the window: the label waits instead.
    if (const auto now =
            context_.saver->save(std::move(round), [this](const Status &saved) { stored(saved); }))
        stored(*now);
}

void UpdateChecker::stored(const Status &saved)
{
    if (!saved.ok()) {
        waiting_ = false;
        Q_EMIT noticeChanged(texts::storeFailedNotice(texts::settingsNotWritten(saved.failure())));
        return;
    }
    if (waiting_) {
        const LabelNotice resting = restingNotice();
        waiting_ = !resting.text.isEmpty();
        Q_EMIT noticeChanged(resting);
        return;
    }
    Q_EMIT noticeChanged({});
}

} // namespace menu::core
