#include "setup/Processes.h"

#include "platform/win32/UniqueHandle.h"
#include "setup/Paths.h"

#include <tlhelp32.h>

#include <algorithm>
#include <vector>

using menu::platform::win32::UniqueHandle;

namespace menu::setup {

namespace {

// The process's image path, or empty when it cannot be asked (another user's, ended).
std::wstring imagePath(HANDLE process)
{
    std::wstring path(1024, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!::QueryFullProcessImageNameW(process, 0, path.data(), &size))
        return {};
    path.resize(size);
    return path;
}

// Opens every other process whose image is the program; false when the list fails.
bool openRunning(const std::wstring &program, std::vector<UniqueHandle> &running)
{
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid())
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    const DWORD self = ::GetCurrentProcessId();
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == self || entry.th32ProcessID == 0)
            continue;
        UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                           entry.th32ProcessID));
        if (process.valid() && sameName(imagePath(process.get()), program))
            running.push_back(std::move(process));
    }
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

} // namespace

bool waitUntilEnded(const std::wstring &program, DWORD budgetMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + budgetMs;
    // Listed again after the wait: the user may have started the launcher meanwhile.
    for (;;) {
        std::vector<UniqueHandle> running;
        if (!openRunning(program, running))
            return false;
        if (running.empty())
            return true;
        std::vector<HANDLE> handles;
        for (const UniqueHandle &process : running)
            handles.push_back(process.get());
        for (size_t first = 0; first < handles.size(); first += MAXIMUM_WAIT_OBJECTS) {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= deadline)
                return false;
            const DWORD count = static_cast<DWORD>(
                std::min<size_t>(MAXIMUM_WAIT_OBJECTS, handles.size() - first));
            const DWORD result = ::WaitForMultipleObjects(count, handles.data() + first, TRUE,
                                                          static_cast<DWORD>(deadline - now));
            if (result >= WAIT_OBJECT_0 + count)
                return false; // timed out or failed
        }
    }
}

DWORD startProgram(const std::wstring &program, const std::wstring &directory)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          directory.c_str(), &startup, &started))
        return ::GetLastError();
    UniqueHandle process(started.hProcess);
    UniqueHandle thread(started.hThread);
    return 0;
}

} // namespace menu::setup
