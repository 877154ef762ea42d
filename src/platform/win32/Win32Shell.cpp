#include "platform/win32/Win32Shell.h"

#include "platform/win32/ComPtr.h"
#include "platform/win32/WinError.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

namespace menu::platform {

namespace {

// One argument as CommandLineToArgvW reads it back: quoted, with the backslashes before a
// quote (and before the closing one) doubled.
std::wstring quoted(const QString &argument)
{
    const std::wstring text = win32::wide(argument);
    std::wstring result = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        result.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        result += c;
    }
    result.append(backslashes * 2, L'\\');
    return result + L"\"";
}

ShellResult execute(const QString &path, const std::wstring *parameters, const QString &workingDir,
                    OwnerWindow owner)
{
    // A document's handler may use COM, which needs an apartment on the calling thread.
    const win32::ComApartment apartment;
    const std::wstring file = win32::wide(path);
    const std::wstring dir = win32::wide(workingDir);
    ::SetLastError(ERROR_SUCCESS);
    // The shell's result is an HINSTANCE only for old programs' sake: a number, above 32 when
    // the file was opened.
    const auto code = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(reinterpret_cast<HWND>(owner), L"open", file.c_str(),
                        parameters ? parameters->c_str() : nullptr,
                        workingDir.isEmpty() ? nullptr : dir.c_str(), SW_SHOWNORMAL));
    const DWORD error = ::GetLastError();
    ShellResult result;
    result.code = code > 32 ? ShellCode::Started : static_cast<ShellCode>(code);
    // The user's no to the elevation prompt is access denied without a reason: nothing refused
    // the file itself.
    if (!result.started() && error != ERROR_SUCCESS && error != ERROR_CANCELLED)
        result.reason = win32::failureOf(error, path);
    return result;
}

} // namespace

ShellResult Win32Shell::open(const QString &path, const QString &workingDir, OwnerWindow owner)
{
    return execute(path, nullptr, workingDir, owner);
}

ShellResult Win32Shell::start(const QString &program, const QStringList &arguments,
                              const QString &workingDir, OwnerWindow owner)
{
    std::wstring parameters;
    for (const QString &argument : arguments)
        parameters += (parameters.empty() ? L"" : L" ") + quoted(argument);
    return execute(program, &parameters, workingDir, owner);
}

} // namespace menu::platform
