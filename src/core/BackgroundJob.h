// The one way the launcher runs work off the user-interface thread: a transfer, and what goes
// with it. The work runs on a worker thread of its own; its progress and its end reach the
// user-interface thread as queued signals. A cancel interrupts the work at once where it waits
// (see CancelToken), and whoever owns the job waits for the worker to end: there is no
// detached thread and no nested event loop.
#pragma once

#include "core/CancelToken.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace menu::core {

class BackgroundJob : public QObject {
    Q_OBJECT
  public:
    // What the work sees of its job, on the worker.
    class Control {
      public:
        CancelToken &cancel() { return cancel_; }
        bool cancelled() const { return cancel_.cancelled(); }
        // Reports progress; deliveries are merged, so that a fast transfer does not flood the
        // user-interface thread: the latest state always arrives.
        void progress(qint64 done, qint64 total);

      private:
        friend class BackgroundJob;
        explicit Control(BackgroundJob &job) : job_(job) {}
        BackgroundJob &job_;
        CancelToken cancel_;
    };
    using Work = std::function<void(Control &control)>;

    explicit BackgroundJob(QObject *parent = nullptr);
    // Cancels the work and waits for its worker.
    ~BackgroundJob() override;

    // Starts work on a new worker; false (and nothing started) while one still runs or when no
    // thread can be had.
    bool start(Work work);
    // Asks the running work to stop; its end is still reported by finished().
    void cancel();
    // True from start until finished() has been emitted.
    bool running() const { return running_; }
    // Waits at most timeout for the work to end; true when it has.
    bool wait(std::chrono::milliseconds timeout);

    // The text of an exception the last work let out (the work ended there); empty otherwise.
    QString escaped() const { return escaped_; }

  Q_SIGNALS:
    void progressed(qint64 done, qint64 total);
    // After the work has returned and its worker ended; cancelled when it was asked to stop.
    void finished(bool cancelled);

  private:
    void deliverProgress();
    void deliverEnd();
    void join();

    std::unique_ptr<Control> control_;
    std::thread worker_;
    bool running_ = false;
    QString escaped_;

    // Shared with the worker.
    std::mutex mutex_;
    qint64 done_ = 0;
    qint64 total_ = -1;
    bool progressPending_ = false;
    bool ended_ = false;
    QString escapedOnWorker_;
    std::condition_variable endedChanged_;
};

} // namespace menu::core
