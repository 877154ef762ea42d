#include "core/BackgroundJob.h"

#include <QMetaObject>
#include <exception>
#include <system_error>

namespace menu::core {

void BackgroundJob::Control::progress(qint64 done, qint64 total)
{
    {
        const std::lock_guard lock(job_.mutex_);
        job_.done_ = done;
        job_.total_ = total;
        if (job_.progressPending_)
            return;
        job_.progressPending_ = true;
    }
    QMetaObject::invokeMethod(&job_, &BackgroundJob::deliverProgress, Qt::QueuedConnection);
}

BackgroundJob::BackgroundJob(QObject *parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob()
{
    cancel();
    join();
}

bool BackgroundJob::start(Work work)
{
    if (running_)
        return false;
    join(); // a worker whose end is still on its way to this thread
    control_.reset(new Control(*this));
    {
        const std::lock_guard lock(mutex_);
        done_ = 0;
        total_ = -1;
        progressPending_ = false;
        ended_ = false;
        escapedOnWorker_.clear();
    }
    escaped_.clear();
    try {
        worker_ = std::thread([this, work = std::move(work), control = control_.get()] {
            QString escaped;
            try {
                work(*control);
            } catch (const std::exception &error) {
                escaped = QString::fromUtf8(error.what());
            } catch (...) {
                escaped = QStringLiteral("?");
            }
            {
                const std::lock_guard lock(mutex_);
                ended_ = true;
                escapedOnWorker_ = escaped;
            }
            endedChanged_.notify_all();
            // Queued behind every progress delivery, so the last state arrives first.
            QMetaObject::invokeMethod(this, &BackgroundJob::deliverEnd, Qt::QueuedConnection);
        });
    } catch (const std::system_error &) {
        return false;
    }
    running_ = true;
    return true;
}

void BackgroundJob::cancel()
{
    if (control_)
        control_->cancel_.cancel();
}

bool BackgroundJob::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return !worker_.joinable() || endedChanged_.wait_for(lock, timeout, [this] { return ended_; });
}

void BackgroundJob::join()
{
    if (worker_.joinable())
        worker_.join();
}

void BackgroundJob::deliverProgress()
{
    qint64 done = 0;
    qint64 total = -1;
    {
        const std::lock_guard lock(mutex_);
        done = done_;
        total = total_;
        progressPending_ = false;
    }
    if (running_)
        Q_EMIT progressed(done, total);
}

void BackgroundJob::deliverEnd()
{
    if (!running_)
        return;
    join();
    {
        const std::lock_guard lock(mutex_);
        escaped_ = escapedOnWorker_;
    }
    running_ = false;
    const bool cancelled = control_->cancelled();
    Q_EMIT finished(cancelled);
}

} // namespace menu::core
