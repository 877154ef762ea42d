// setup.exe: the launcher's own installer. The launcher unpacks an update into a private
// directory, starts setup.exe from it and ends; setup.exe waits until the launcher's processes
// have ended, puts the package's files in place of the launcher's and starts the new launcher.
// It runs alone from that directory: no Qt, no DLL beside it.
#include "setup/Install.h"
#include "setup/Messages.h"
#include "setup/Paths.h"
#include "setup/Processes.h"

#include <shellapi.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace menu::setup {

namespace {

// The exit statuses; the launcher's successor is running only after kInstalled.
enum Status : int { kInstalled = 0, kNoTarget = 1, kNotEnded = 2, kFailed = 3, kNotStarted = 4 };

std::vector<std::wstring> arguments()
{
    int count = 0;
    wchar_t **list = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    for (int i = 0; list != nullptr && i < count; ++i)
        result.emplace_back(list[i]);
    ::LocalFree(list);
    return result;
}

// How long the launcher may take to end: a minute, or ORVAN_SETUP_WAIT_MS milliseconds.
DWORD waitBudget()
{
    const std::wstring text = environment(L"ORVAN_SETUP_WAIT_MS");
    if (text.empty() || text.size() > 9 ||
        !std::all_of(text.begin(), text.end(), [](wchar_t c) { return std::iswdigit(c); }))
        return 60'000;
    return static_cast<DWORD>(std::stoul(text));
}

int run()
{
    const std::optional<Target> target = findTarget(arguments());
    if (!target) {
        reportError(noTargetText());
        return kNoTarget;
    }
    if (!waitUntilEnded(target->program, waitBudget())) {
        reportError(notEndedText());
        return kNotEnded;
    }
    if (const auto failure = install(ownDirectory(), target->directory)) {
        reportError(installFailedText(failure->file, failure->error));
        // The old launcher is whole again: the user is not left without it.
        startProgram(target->program, target->directory);
        return kFailed;
    }
    if (const DWORD error = startProgram(target->program, target->directory)) {
        reportError(startFailedText(target->program, error));
        return kNotStarted;
    }
    return kInstalled;
}

} // namespace

} // namespace menu::setup

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return menu::setup::run();
}
