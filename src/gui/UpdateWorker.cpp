#include "gui/UpdateWorker.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

namespace menu::gui {

namespace {
std::atomic<int> gRunning{0};
std::atomic<bool> gFailNextStart{false};

core::UpdateCheckOutcome unexpectedFailure(const QString &reason)
{
    // Reported like a download that failed: the label says so and the check ends.
    const QString critical = QStringLiteral("Kritická chyba pri sťahovaní!");
    return {true, false, critical, critical + QStringLiteral("\r\r") + reason};
}
} // namespace

TVlakno::TVlakno(const platform::InternetState *internet, QString url, QString localPath,
                 QObject *owner, Apply apply)
    : internet_(internet), url_(std::move(url)), localPath_(std::move(localPath)), owner_(owner),
      apply_(std::move(apply))
{
}

void TVlakno::Start(const platform::InternetState *internet, QString url, QString localPath,
                    QObject *owner, Apply apply)
{
    std::unique_ptr<TVlakno> worker(
        new TVlakno(internet, std::move(url), std::move(localPath), owner, std::move(apply)));
    ++gRunning;
    try {
        if (gFailNextStart.exchange(false))
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again),
                                    "thread");
        std::thread([raw = worker.get()] { raw->Execute(); }).detach();
    } catch (...) {
        --gRunning;
        throw;
    }
    worker.release(); // the thread owns it now
}

int TVlakno::running()
{
    return gRunning.load();
}

void TVlakno::failNextStartForTesting()
{
    gFailNextStart = true;
}

void TVlakno::Execute()
{
    {
        const std::unique_ptr<TVlakno> self(this);
        core::UpdateCheckOutcome outcome;
        try {
            outcome = core::runUpdateCheck(internet_, url_, localPath_);
        } catch (const std::exception &error) {
            outcome = unexpectedFailure(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            outcome = unexpectedFailure(QString());
        }
        // The application object outlives every window; the outcome waits in its queue and is
        // applied only if the window that asked for it is still there. The guard is looked at
        // on the user-interface thread alone.
        if (QCoreApplication *app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app,
                [owner = std::move(owner_), apply = std::move(apply_),
                 outcome = std::move(outcome)] {
                    if (owner)
                        apply(outcome);
                },
                Qt::QueuedConnection);
        }
    }
    // Last: from here on the worker touches nothing of the program's.
    --gRunning;
}

} // namespace menu::gui
