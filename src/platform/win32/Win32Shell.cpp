#include "platform/win32/Win32Shell.h"

#include "platform/win32/ComPtr.h"
#include "platform/win32/WinError.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

namespace menu::platform {

ShellResult Win32Shell::open(const QString &path, const QString &workingDir, OwnerWindow owner)
{
    // A document's handler may use COM, which needs an apartment on the calling thread.
    const win32::ComApartment apartment;
    const std::wstring file = win32::wide(path);
    const std::wstring dir = win32::wide(workingDir);
    ::SetLastError(ERROR_SUCCESS);
    // The shell's result is an HINSTANCE only for old programs' sake: a number, above 32 when
    // the file was opened.
    const auto code = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(reinterpret_cast<HWND>(owner), L"open", file.c_str(), nullptr,
                        workingDir.isEmpty() ? nullptr : dir.c_str(), SW_SHOWNORMAL));
    const DWORD error = ::GetLastError();
    ShellResult result;
    result.code = code > 32 ? kShellStarted : static_cast<int>(code);
    // The user's no to the elevation prompt is access denied without a reason: nothing refused
    // the file itself.
    if (!result.started() && error != ERROR_SUCCESS && error != ERROR_CANCELLED)
        result.reason = win32::failureOf(error, path);
    return result;
}

} // namespace menu::platform
