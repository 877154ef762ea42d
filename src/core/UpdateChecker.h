// The background update check of the launcher: about a second after start (or a refresh) it
// fetches the vendor's update-information document on a background job, stores the
// announcements in menu.ini and says how it went in the main window's information label.
// While a later launcher is announced it only says that the new version waits to be
// installed. It owns the announcements the update commands work with.
#pragma once

#include "core/BackgroundJob.h"
#include "core/LauncherSettings.h"
#include "core/UpdateCheck.h"
#include "platform/Internet.h"
#include "platform/Regional.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>

namespace menu::core {

class UpdateChecker : public QObject {
    Q_OBJECT
  public:
    struct Context {
        LauncherSettings &settings;
        const platform::InternetState &internet;
        const platform::Clock &clock;
        const platform::RegionalSettings *regional = nullptr; // the time separator
        QString programDir;                                   // where the document lands
        QString launcherVersion;                              // the running launcher's
    };
    // How long after start the check begins.
    static constexpr int kDelayMs = 1000;

    UpdateChecker(Context context, QObject *parent = nullptr);
    // Cancels a running check and waits for it; its temporary file goes with it.
    ~UpdateChecker() override;

    // Reads the stored announcements and the check's settings (at start).
    void load();
    // The start decision (at start and on every refresh): while a later launcher is announced
    // the label says so and nothing is fetched; otherwise the check runs in about a second.
    void start();
    // Runs the check in about a second, whatever is announced (after the settings changed).
    void startTimer();
    // A refresh: the next check runs even when checks are switched off.
    void requestNow() { requested_ = true; }
    // The settings dialog stored a new frequency.
    void setCheckFrequency(std::uint8_t frequency) { frequency_ = frequency; }

    bool running() const { return job_.running(); }
    const Announcement &launcherAnnouncement() const { return launcher_; }
    const Announcement &teamViewerAnnouncement() const { return teamViewer_; }
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
    void store(const UpdateCheckOutcome &outcome);
    QString documentPath() const;

    Context context_;
    QTimer timer_;
    BackgroundJob job_;
    std::shared_ptr<UpdateCheckOutcome> outcome_;
    Announcement launcher_;
    Announcement teamViewer_;
    std::uint8_t frequency_ = kCheckAtStart;
    QString lastCheck_;
    bool requested_ = false;
};

} // namespace menu::core
