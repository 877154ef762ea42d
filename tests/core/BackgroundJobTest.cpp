// Work off the user-interface thread: what reaches the UI thread, in which order, and how a
// cancel and the job's end stop the work.
#include "core/BackgroundJob.h"

#include "core/Download.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

using namespace std::chrono_literals;
using menu::core::BackgroundJob;
using menu::core::CancelToken;
using menu::test::ScriptedHttpServer;

namespace {

// A counting semaphore over a mutex: GCC 12's std::counting_semaphore, built on its atomic wait
// without a futex on Windows, lost a release now and then, and the test hung under Wine.
class Semaphore {
  public:
    void release()
    {
        {
            const std::lock_guard lock(mutex_);
            ++count_;
        }
        changed_.notify_one();
    }
    void acquire()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return count_ > 0; });
        --count_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

struct Progress {
    qint64 done;
    qint64 total;
    bool onUiThread;
};

// Everything the job emitted, as the UI thread saw it.
class Observer {
  public:
    explicit Observer(BackgroundJob &job)
    {
        QObject::connect(&job, &BackgroundJob::progressed, [this](qint64 done, qint64 total) {
            progress.push_back(
                {done, total, QThread::currentThread() == QCoreApplication::instance()->thread()});
            if (onProgress)
                onProgress(done, total);
        });
        QObject::connect(&job, &BackgroundJob::finished, [this, &job](bool wasCancelled) {
            ++finishedCount;
            cancelled = wasCancelled;
            finishedOnUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            runningAtFinish = job.running();
            progressBeforeFinish = progress.size();
        });
    }

    bool waitFinished(int ms = 30000)
    {
        return QTest::qWaitFor([this] { return finishedCount > 0; }, ms);
    }

    std::vector<Progress> progress;
    std::function<void(qint64, qint64)> onProgress;
    int finishedCount = 0;
    bool cancelled = false;
    bool finishedOnUiThread = false;
    bool runningAtFinish = true;
    std::size_t progressBeforeFinish = 0;
};

TEST(BackgroundJob, ProgressArrivesOnTheUiThreadInOrderThenTheEndOnce)
{
    BackgroundJob job;
    Observer seen(job);
    // The work waits for each report to be seen, so none is merged.
    Semaphore seenOne;
    seen.onProgress = [&seenOne](qint64, qint64) { seenOne.release(); };
    std::atomic<bool> returned{false};
    ASSERT_TRUE(job.start([&](BackgroundJob::Control &control) {
        for (qint64 i = 1; i <= 3; ++i) {
            control.progress(i, 3);
            seenOne.acquire();
        }
        returned = true;
    }));
    EXPECT_TRUE(job.running());
    EXPECT_FALSE(job.start([](BackgroundJob::Control &) {})); // one work at a time

    ASSERT_TRUE(seen.waitFinished());
    EXPECT_TRUE(returned);
    ASSERT_EQ(seen.progress.size(), 3u);
    for (qint64 i = 0; i < 3; ++i) {
        EXPECT_EQ(seen.progress[i].done, i + 1);
        EXPECT_EQ(seen.progress[i].total, 3);
        EXPECT_TRUE(seen.progress[i].onUiThread);
    }
    EXPECT_EQ(seen.progressBeforeFinish, 3u);
    EXPECT_TRUE(seen.finishedOnUiThread);
    EXPECT_FALSE(seen.runningAtFinish);
    EXPECT_FALSE(seen.cancelled);
    EXPECT_EQ(job.escaped(), QString());

    // Nothing more arrives later.
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.finishedCount, 1);
    EXPECT_EQ(seen.progress.size(), 3u);
}

TEST(BackgroundJob, ReportsFasterThanTheUiThreadAreMergedIntoTheLatest)
{
    BackgroundJob job;
    Observer seen(job);
    ASSERT_TRUE(job.start([](BackgroundJob::Control &control) {
        for (qint64 i = 1; i <= 10000; ++i)
            control.progress(i, 10000);
    }));
    // The UI thread looks away until the work has ended: every report piles up.
    ASSERT_TRUE(job.wait(30s));
    EXPECT_TRUE(seen.progress.empty());
    ASSERT_TRUE(seen.waitFinished());
    ASSERT_EQ(seen.progress.size(), 1u);
    EXPECT_EQ(seen.progress[0].done, 10000);
    EXPECT_EQ(seen.progress[0].total, 10000);
    EXPECT_EQ(seen.finishedCount, 1);
}

TEST(BackgroundJob, AnExceptionOfTheWorkIsReportedAndTheJobServesAgain)
{
    const struct {
        const char *name;
        std::function<void()> raise;
        const char *escaped;
    } cases[] = {
        {"std::exception", [] { throw std::runtime_error("Disk odpadol"); }, "Disk odpadol"},
        {"foreign", [] { throw 42; }, "?"},
    };
    BackgroundJob job;
    Observer seen(job);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        seen.finishedCount = 0;
        ASSERT_TRUE(job.start([&c](BackgroundJob::Control &) { c.raise(); }));
        ASSERT_TRUE(seen.waitFinished());
        EXPECT_EQ(job.escaped(), QString::fromUtf8(c.escaped));
        EXPECT_FALSE(seen.cancelled);
        EXPECT_FALSE(job.running());
    }
    // A work that ends well clears the last one's exception.
    seen.finishedCount = 0;
    ASSERT_TRUE(job.start([](BackgroundJob::Control &) {}));
    ASSERT_TRUE(seen.waitFinished());
    EXPECT_EQ(job.escaped(), QString());
}

// A download the user cancels: against a server that never answers, and against one that went
// quiet in the middle of the body (the new file is begun). The default limit of 90 s on a
// quiet connection would end neither soon; the cancel interrupts the wait at once.
TEST(BackgroundJob, CancelStopsARunningDownloadAtOnce)
{
    ScriptedHttpServer::Script partial =
        ScriptedHttpServer::response("HTTP/1.1 200 OK", "Content-Length: 100\r\n", "first part");
    partial.holdOpen = true;
    const struct {
        const char *name;
        ScriptedHttpServer::Script script;
    } cases[] = {
        {"server never answers", {{}, true}},
        {"server quiet in the body", partial},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttpServer server;
        server.answer(c.script);
        menu::test::TempDir dir;
        const QString target = dir.write(QStringLiteral("orvan_update.zip"), "old package");
        auto result = std::make_shared<menu::core::DownloadResult>();

        BackgroundJob job;
        Observer seen(job);
        ASSERT_TRUE(job.start([&server, target, result](BackgroundJob::Control &control) {
            menu::core::DownloadOptions options;
            options.cancel = &control.cancel();
            options.progress = [&control](const menu::core::DownloadProgress &progress) {
                control.progress(progress.received, progress.total);
            };
            *result =
                menu::core::download(server.address(QStringLiteral("/pkg.zip")), target, options);
        }));
        // Running: the request has reached the server, and what it sent has arrived.
        const qint64 sent = c.script.steps.empty() ? 0 : c.script.steps.front().bytes.size();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return !server.lastRequest().isEmpty() &&
                       (sent == 0 || (!seen.progress.empty() && seen.progress.back().done == sent));
            },
            30000));
        EXPECT_TRUE(job.running());

        QElapsedTimer timer;
        timer.start();
        job.cancel();
        ASSERT_TRUE(seen.waitFinished(500)) << "still running after " << timer.elapsed() << " ms";
        EXPECT_TRUE(seen.cancelled);
        EXPECT_TRUE(result->cancelled);
        EXPECT_FALSE(result->ok);
        EXPECT_EQ(dir.read(QStringLiteral("orvan_update.zip")), QByteArray("old package"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                  QStringList{QStringLiteral("orvan_update.zip")});
    }
}

TEST(BackgroundJob, DestroyingAJobCancelsItsWorkAndWaitsForIt)
{
    Semaphore started;
    std::atomic<bool> sawCancel{false};
    std::atomic<bool> returned{false};
    auto job = std::make_unique<BackgroundJob>();
    ASSERT_TRUE(job->start([&](BackgroundJob::Control &control) {
        // Waits until the cancel wakes it, as a transfer waits on its connection.
        std::mutex mutex;
        std::condition_variable woken;
        bool wake = false;
        const CancelToken::WakerGuard waker(control.cancel(), [&] {
            const std::lock_guard lock(mutex);
            wake = true;
            woken.notify_all();
        });
        started.release();
        std::unique_lock lock(mutex);
        woken.wait(lock, [&] { return wake; });
        sawCancel = control.cancelled();
        returned = true;
    }));
    started.acquire();
    job.reset();
    EXPECT_TRUE(sawCancel);
    EXPECT_TRUE(returned); // joined: the work is over when the destructor returns
    // The end the worker had queued for the destroyed job goes nowhere.
    QCoreApplication::processEvents();
}

} // namespace
