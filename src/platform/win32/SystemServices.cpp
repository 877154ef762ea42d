// The services of Windows.
#include "platform/DesktopScreen.h"
#include "platform/ProfileFiles.h"
#include "platform/ProgramFiles.h"
#include "platform/System.h"
#include "platform/win32/Win32InternetState.h"
#include "platform/win32/ConsoleTermination.h"
#include "platform/win32/LocalTimeClock.h"
#include "platform/win32/Win32SingleInstance.h"
#include "platform/win32/Win32DesktopFolders.h"
#include "platform/win32/Win32Shell.h"

#include <cstdlib>
#include <string>
#include <windows.h>
#include <shobjidl.h>

namespace menu::platform {

// Versions and icons come from the launcher's own readers of program files on Windows too:
// they show exactly what Linux shows, read a program's file without loading it into the
// launcher (LoadLibraryEx, which the version and icon functions use, maps it), and choose the
// icon size the buttons need from the icon's own images.
std::unique_ptr<SystemServices> makeSystemServices()
{
    // One identity for the window, whichever version folder it runs from (see the shortcut).
    ::SetCurrentProcessExplicitAppUserModelID(kAppUserModelId);
    auto system = std::make_unique<SystemServices>();
    system->profiles = std::make_unique<ProfileFiles>();
    system->clock = std::make_unique<LocalTimeClock>();
    system->screen = std::make_unique<DesktopScreen>();
    system->versions = std::make_unique<FileVersionReader>();
    system->icons = std::make_unique<FileIconReader>();
    system->shell = std::make_unique<Win32Shell>();
    system->desktops = std::make_unique<Win32DesktopFolders>();
    system->internet = std::make_unique<Win32InternetState>();
    system->regional = std::make_unique<SystemRegionalSettings>(system->clock.get());
    return system;
}

std::unique_ptr<SingleInstance> makeSingleInstance(const QString &name)
{
    return std::make_unique<Win32SingleInstance>(name);
}

std::unique_ptr<QObject> watchTermination(std::function<void()> onTerminate)
{
    return std::make_unique<ConsoleTermination>(std::move(onTerminate));
}

void setInheritedEnvironment(const QString &name, const QString &value)
{
    // The wide block: the C runtime's narrow copy would pass a path through the ANSI code page.
    ::SetEnvironmentVariableW(reinterpret_cast<const wchar_t *>(name.utf16()),
                              reinterpret_cast<const wchar_t *>(value.utf16()));
}

QString takeInheritedEnvironment(const QString &name)
{
    const auto *key = reinterpret_cast<const wchar_t *>(name.utf16());
    const DWORD needed = ::GetEnvironmentVariableW(key, nullptr, 0);
    if (needed == 0)
        return {};
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(key, value.data(), needed);
    // Gone from the C runtime's copy too, which Qt reads, and from the block children inherit.
    ::_wputenv_s(key, L"");
    ::SetEnvironmentVariableW(key, nullptr);
    return length < needed ? QString::fromWCharArray(value.data(), static_cast<qsizetype>(length))
                           : QString();
}

QString runningProgramPath()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return QString::fromWCharArray(buffer.data(), static_cast<qsizetype>(length));
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace menu::platform
