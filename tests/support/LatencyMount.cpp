#include "support/LatencyMount.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace menu::test {

namespace {

#ifdef MENU_LATENCYFS_PATH
const QString kServer = QStringLiteral(MENU_LATENCYFS_PATH);
#else
const QString kServer;
#endif

QString counterFile(const QString &mountPoint)
{
    return mountPoint + QStringLiteral("/.latencyfs-ops");
}

// True once the mount point shows the mounted file system.
bool answering(const QString &mountPoint)
{
    return QFileInfo::exists(counterFile(mountPoint));
}

bool fusermount(const QStringList &args)
{
    QProcess tool;
    tool.start(QStringLiteral("fusermount3"), args);
    return tool.waitForFinished(30'000) && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
}

} // namespace

QString LatencyMount::unavailableReason()
{
    if (kServer.isEmpty() || !QFileInfo(kServer).isExecutable())
        return QStringLiteral("the latency file system latencyfs is not built here");
    if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
        return QStringLiteral("no /dev/fuse: this system cannot mount FUSE file systems");
    return {};
}

LatencyMount::LatencyMount(const QString &source, const QString &mountPoint,
                           std::chrono::microseconds delay, Cache cache)
    : mountPoint_(QDir::cleanPath(mountPoint))
{
    error_ = unavailableReason();
    if (!error_.isEmpty())
        return;
    QDir().mkpath(mountPoint_);
    server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server_.start(kServer, {source, mountPoint_, QStringLiteral("-f"),
                            QStringLiteral("--delay-us=%1").arg(delay.count()),
                            cache == Cache::None ? QStringLiteral("--cache=none")
                                                 : QStringLiteral("--cache=attr")});
    if (!server_.waitForStarted(10'000)) {
        error_ = QStringLiteral("latencyfs did not start: ") + server_.errorString();
        return;
    }
    // The server mounts, then answers; it may also give up (the mount point in use).
    const QDeadlineTimer deadline(30'000);
    while (!answering(mountPoint_)) {
        if (server_.state() != QProcess::Running || deadline.hasExpired()) {
            error_ = QStringLiteral("latencyfs did not mount ") + mountPoint_;
            unmount();
            return;
        }
        QThread::msleep(5);
    }
    mounted_ = true;
}

LatencyMount::~LatencyMount()
{
    unmount();
}

quint64 LatencyMount::operations() const
{
    QFile counter(counterFile(mountPoint_));
    if (!counter.open(QIODevice::ReadOnly))
        return 0;
    return counter.readAll().trimmed().toULongLong();
}

void LatencyMount::unmount()
{
    if (server_.state() == QProcess::NotRunning)
        return;
    // A file still open below the mount makes a plain unmount fail; the lazy one never
    // leaves the mount hanging.
    if (!fusermount({QStringLiteral("-u"), mountPoint_}))
        fusermount({QStringLiteral("-u"), QStringLiteral("-z"), mountPoint_});
    if (!server_.waitForFinished(30'000)) {
        server_.kill();
        server_.waitForFinished(10'000);
        fusermount({QStringLiteral("-u"), QStringLiteral("-z"), mountPoint_});
    }
    mounted_ = false;
}

} // namespace menu::test
