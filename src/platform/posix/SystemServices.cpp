// The services of a POSIX desktop.
#include "platform/System.h"

#include "platform/DesktopScreen.h"
#include "platform/ProfileFiles.h"
#include "platform/ProgramFiles.h"
#include "platform/SystemClock.h"
#include "platform/posix/PosixInternetState.h"
#include "platform/posix/PosixSingleInstance.h"
#include "platform/posix/PosixShell.h"
#include "platform/posix/TerminationSignals.h"
#include "platform/posix/PosixDesktopFolders.h"

#include <QFile>

#include <cstdlib>

namespace menu::platform {

std::unique_ptr<SystemServices> makeSystemServices()
{
    auto system = std::make_unique<SystemServices>();
    system->profiles = std::make_unique<ProfileFiles>();
    system->clock = std::make_unique<SystemClock>();
    system->screen = std::make_unique<DesktopScreen>();
    system->versions = std::make_unique<FileVersionReader>();
    system->icons = std::make_unique<FileIconReader>();
    system->shell = std::make_unique<PosixShell>();
    system->desktops = std::make_unique<PosixDesktopFolders>();
    system->internet = std::make_unique<PosixInternetState>();
    system->regional = std::make_unique<SystemRegionalSettings>(system->clock.get());
    return system;
}

std::unique_ptr<SingleInstance> makeSingleInstance(const QString &name)
{
    return std::make_unique<PosixSingleInstance>(name);
}

std::unique_ptr<QObject> watchTermination(std::function<void()> onTerminate)
{
    return std::make_unique<TerminationSignals>(std::move(onTerminate));
}

void setInheritedEnvironment(const QString &name, const QString &value)
{
    ::setenv(name.toLocal8Bit().constData(), QFile::encodeName(value).constData(), 1);
}

QString takeInheritedEnvironment(const QString &name)
{
    const QByteArray key = name.toLocal8Bit();
    const char *value = std::getenv(key.constData());
    if (value == nullptr)
        return {};
    const QString taken = QFile::decodeName(value);
    ::unsetenv(key.constData());
    return taken;
}

QString runningProgramPath()
{
    const QString path = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return path;
}

} // namespace menu::platform
