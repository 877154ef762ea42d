// A stand-in for menu.exe in the installer's tests, built once as the old launcher and once as
// the new one (FAKE_MENU_VERSION). Started without arguments, as the installer starts the
// launcher, it appends "<version>|<current directory>" to the file FAKE_MENU_MARKER names and
// sets the event FAKE_MENU_STARTED names. With "--hold READY RELEASE" it is a launcher that
// keeps running: it sets the event READY and ends when the event RELEASE is set.
#include <windows.h>

#include <string>

namespace {

std::wstring environment(const wchar_t *name)
{
    wchar_t value[1024];
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

int hold(const wchar_t *readyName, const wchar_t *releaseName)
{
    HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, readyName);
    HANDLE release = ::OpenEventW(SYNCHRONIZE, FALSE, releaseName);
    if (ready == nullptr || release == nullptr || !::SetEvent(ready))
        return 2;
    // Bounded, so that a failed test leaves no process behind for long.
    const DWORD result = ::WaitForSingleObject(release, 120'000);
    ::CloseHandle(ready);
    ::CloseHandle(release);
    return result == WAIT_OBJECT_0 ? 0 : 3;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc == 4 && std::wstring(argv[1]) == L"--hold")
        return hold(argv[2], argv[3]);
    wchar_t directory[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, directory);
    const std::wstring line = std::wstring(L"" FAKE_MENU_VERSION) + L"|" + directory + L"\n";
    HANDLE marker = ::CreateFileW(environment(L"FAKE_MENU_MARKER").c_str(), FILE_APPEND_DATA,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE)
        return 4;
    DWORD written = 0;
    ::WriteFile(marker, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
                nullptr);
    ::CloseHandle(marker);
    HANDLE started = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, environment(L"FAKE_MENU_STARTED").c_str());
    if (started != nullptr) {
        ::SetEvent(started);
        ::CloseHandle(started);
    }
    return 0;
}
