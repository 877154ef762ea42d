// The installer's seam on Windows: processes, names, the command line and what the user sees.
#include "setup/win32/Wide.h"

#include "platform/win32/UniqueHandle.h"

#include <shellapi.h>

#include <vector>

using menu::platform::win32::UniqueHandle;

namespace menu::setup::os {

std::int64_t secondsNow()
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / 10'000'000ULL) - 11'644'473'600LL;
}

std::string computerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return ::GetComputerNameW(name, &size) ? utf8(std::wstring(name, size)) : "?";
}

std::string userName()
{
    const std::string name = utf8(wide(environment("USERNAME")));
    return name.empty() ? "?" : name;
}

unsigned processId()
{
    return ::GetCurrentProcessId();
}

bool processRuns(unsigned id)
{
    UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!process.valid())
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

Waited waitForProcess(unsigned id, unsigned budgetMs)
{
    UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!process.valid())
        // No such process any more: the launcher ended before the installer looked.
        return ::GetLastError() == ERROR_INVALID_PARAMETER ? Waited::Ended : Waited::Unknown;
    switch (::WaitForSingleObject(process.get(), budgetMs)) {
    case WAIT_OBJECT_0:
        return Waited::Ended;
    case WAIT_TIMEOUT:
        return Waited::Running;
    default:
        return Waited::Unknown;
    }
}

void sleepMs(unsigned ms)
{
    ::Sleep(ms);
}

int startProgram(const std::string &program, const std::vector<std::string> &arguments,
                 const std::string &directory, bool)
{
    std::wstring commandLine = L"\"" + wide(program) + L"\"";
    for (const std::string &argument : arguments)
        commandLine += L" \"" + wide(argument) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(wide(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, wide(directory).c_str(), &startup, &started))
        return static_cast<int>(::GetLastError());
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    return 0;
}

void keepArguments(int, char **) {}

std::vector<std::string> arguments()
{
    int count = 0;
    wchar_t **list = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; list != nullptr && i < count; ++i)
        result.push_back(utf8(list[i]));
    ::LocalFree(list);
    return result;
}

std::string ownPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return utf8(path);
        }
        path.resize(path.size() * 2);
    }
}

std::string environment(const char *name)
{
    const std::wstring key = wide(name);
    const DWORD size = ::GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(key.c_str(), value.data(), size);
    value.resize(length < size ? length : 0);
    return utf8(value);
}

void setEnvironment(const char *name, const std::string &value)
{
    ::SetEnvironmentVariableW(wide(name).c_str(), wide(value).c_str());
}

std::string fullPath(const std::string &path)
{
    if (path.empty())
        return {};
    const std::wstring name = wide(path);
    DWORD size = ::GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    while (size != 0) {
        std::wstring result(size, L'\0');
        const DWORD length = ::GetFullPathNameW(name.c_str(), size, result.data(), nullptr);
        if (length < size) {
            result.resize(length);
            return length == 0 ? std::string() : utf8(result);
        }
        size = length; // the path grew meanwhile (a changed current directory)
    }
    return {};
}

std::string finalPath(const std::string &path)
{
    // No access to the contents: the file may be a running program another seat holds.
    UniqueHandle file(::CreateFileW(wide(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid())
        return {};
    for (const DWORD volume : {VOLUME_NAME_DOS, VOLUME_NAME_NT}) {
        std::wstring result(MAX_PATH, L'\0');
        DWORD length = ::GetFinalPathNameByHandleW(file.get(), result.data(),
                                                   static_cast<DWORD>(result.size()), volume);
        if (length >= result.size()) {
            result.resize(length + 1);
            length = ::GetFinalPathNameByHandleW(file.get(), result.data(),
                                                 static_cast<DWORD>(result.size()), volume);
        }
        if (length != 0 && length < result.size()) {
            result.resize(length);
            return utf8(result);
        }
    }
    return {};
}

bool sameName(const std::string &a, const std::string &b)
{
    const std::wstring x = wide(a);
    const std::wstring y = wide(b);
    return ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                  static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

void reportError(const std::string &text)
{
    if (environment("ORVAN_SETUP_QUIET") != "1") {
        ::MessageBoxW(nullptr, wide(text).c_str(), L"ORVAN - inštalácia",
                      MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
        return;
    }
    const std::string line = text + "\r\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), line.data(), static_cast<DWORD>(line.size()),
                &written, nullptr);
}

Progress::Progress()
{
    if (environment("ORVAN_SETUP_QUIET") == "1")
        return;
    // A plain static window: no message loop is needed to paint a text the installer sets.
    window_ = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"ORVAN - inštalácia",
                                WS_POPUP | WS_BORDER | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                                460, 110, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr)
        return;
    const HWND handle = static_cast<HWND>(window_);
    ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 20, 430, 50, handle,
                      nullptr, ::GetModuleHandleW(nullptr), nullptr);
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::SetWindowPos(handle, nullptr, (area.left + area.right - 460) / 2,
                   (area.top + area.bottom - 110) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::ShowWindow(handle, SW_SHOWNORMAL);
}

Progress::~Progress()
{
    if (window_ != nullptr)
        ::DestroyWindow(static_cast<HWND>(window_));
}

void Progress::show(const std::string &text)
{
    if (window_ == nullptr)
        return;
    ::SetWindowTextW(::GetWindow(static_cast<HWND>(window_), GW_CHILD), wide(text).c_str());
    // Painted now: the installer does its work on this thread without a loop.
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    ::UpdateWindow(static_cast<HWND>(window_));
}

} // namespace menu::setup::os
