// The background update check of the launcher: about a second after start (or a refresh) it
// fetches the vendor's update-information document and its signature on a background job,
// stores the announcements of an accepted document in menu.ini and says how it went in the main
// window's information label. A refused document changes nothing stored; the label says why.
// While a later launcher is announced the label says that it waits to be installed, and the
// check runs all the same, so that one wrong announcement does not stay for good. It owns the
// announcements the update commands work with.
#pragma once

#include "core/BackgroundJob.h"
#include "core/LauncherSettings.h"
#include "core/SettingsSaver.h"
#include "core/TrustedAnnouncement.h"
#include "core/UpdateCheck.h"
#include "formats/Minisign.h"
#include "platform/Internet.h"
#include "platform/Regional.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace menu::core {

class UpdateChecker : public QObject {
    Q_OBJECT
  public:
    struct Context {
        LauncherSettings &settings;
        const platform::InternetState &internet;
        const platform::Clock &clock;
        const platform::RegionalSettings *regional = nullptr; // the time separator
        QString launcherVersion;                              // the running launcher's
        QString updateAddress; // where the document lies (see UpdateAddress.h)
        // Whose signature the document needs, and where the accepted one is kept.
        TrustPolicy trust = trustPolicy();
        // Stores the announcements without making the window wait for another writer; none:
        // stored at once, waiting as long as a write does.
        SettingsSaver *saver = nullptr;
    };
    // How long after start the check begins.
    static constexpr int kDelayMs = 1000;

    UpdateChecker(Context context, QObject *parent = nullptr);
    // Cancels a running check and waits for it.
    ~UpdateChecker() override;

    // Reads the stored announcements and the check's settings (at start).
    void load();
    // At start and on every refresh: while a later launcher is announced the label says so;
    // the check runs in about a second either way.
    void start();
    // Runs the check in about a second (after the settings changed).
    void startTimer();
    // A refresh: the next check runs even when checks are switched off.
    void requestNow() { requested_ = true; }
    // The settings dialog stored a new frequency. Switched off, the next decision says so,
    // also while a later launcher waits.
    void setCheckFrequency(std::uint8_t frequency);

    bool running() const { return job_.running(); }
    // The announcements as menu.ini shows them (and the label tells).
    const Announcement &launcherAnnouncement() const { return launcher_; }
    const Announcement &teamViewerAnnouncement() const { return teamViewer_; }
    // The announcements an offer or a download may follow, checked now: the kept signed
    // document's; menu.ini's only in a build configured to update unsigned.
    std::optional<UpdateInfo> trustedInfo() const;
    std::uint8_t checkFrequency() const { return frequency_; }
    QString lastCheck() const { return lastCheck_; }
    QTimer &timer() { return timer_; }

  Q_SIGNALS:
    void noticeChanged(const core::LabelNotice &notice);
    // A check succeeded at lastCheck ("DD.MM.YYYY hh:nn").
    void checked(const QString &lastCheck);

  private:
    void fire();
    void finish(bool cancelled);
    void store(const UpdateInfo &info);
    // Keeps an accepted signed document in the user's storage unless it is older than the kept
    // one; false (the label told why) when it is refused or cannot be kept.
    bool keep(const UpdateCheckOutcome &outcome);
    void stored(const Status &saved);
    // What the label says between checks: that a later launcher waits, or nothing.
    LabelNotice restingNotice() const;

    Context context_;
    QTimer timer_;
    BackgroundJob job_;
    std::shared_ptr<UpdateCheckOutcome> outcome_;
    Announcement launcher_;
    Announcement teamViewer_;
    std::uint8_t frequency_ = kCheckAtStart;
    QString lastCheck_;
    bool requested_ = false;
    bool waiting_ = false; // the label says that a later launcher waits to be installed
};

} // namespace menu::core
