#include "platform/win32/Win32DesktopFolders.h"

#include "platform/Files.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/FileTimes.h"
#include "platform/win32/WinError.h"

#include <QDir>

#include <windows.h>
#include <propidl.h>
#include <propsys.h>
#include <shlobj.h>

namespace menu::platform {

using win32::wide;

namespace {

// A failure of a COM call: its HRESULT carries a Windows error code where it wraps one.
Failure comFailure(HRESULT result, const QString &path)
{
    const auto code = static_cast<unsigned long>(result);
    if (HRESULT_FACILITY(result) == FACILITY_WIN32)
        return win32::failureOf(HRESULT_CODE(result), path);
    return win32::failureOf(code, path);
}

// System.AppUserModel.ID, by its value (propkey.h defines it only where its GUIDs are made).
const PROPERTYKEY kAppUserModelIdKey = {
    {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};

HRESULT setApplicationId(win32::ComPtr<IShellLinkW> &link)
{
    win32::ComPtr<IPropertyStore> store;
    HRESULT result = link.as(store);
    if (FAILED(result))
        return result;
    PROPVARIANT value;
    ::PropVariantInit(&value);
    const size_t bytes = sizeof kAppUserModelId;
    value.vt = VT_LPWSTR;
    value.pwszVal = static_cast<wchar_t *>(::CoTaskMemAlloc(bytes));
    if (value.pwszVal == nullptr)
        return E_OUTOFMEMORY;
    ::memcpy(value.pwszVal, kAppUserModelId, bytes);
    result = store->SetValue(kAppUserModelIdKey, value);
    ::PropVariantClear(&value);
    return FAILED(result) ? result : store->Commit();
}

// Writes the link through the shell's link object into file (a new name).
Status saveLink(const QString &file, const Shortcut &shortcut)
{
    win32::ComPtr<IShellLinkW> link;
    HRESULT result = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkW, reinterpret_cast<void **>(link.put()));
    if (FAILED(result))
        return comFailure(result, file);
    const std::wstring target = wide(shortcut.target);
    const std::wstring dir = wide(shortcut.workingDir);
    if (FAILED(result = link->SetPath(target.c_str())) ||
        FAILED(result = link->SetWorkingDirectory(dir.c_str())) ||
        FAILED(result = link->SetIconLocation(target.c_str(), 0)) ||
        FAILED(result = link->SetShowCmd(SW_SHOWNORMAL)))
        return comFailure(result, file);
    // A shell without the property still gets a working shortcut; only the taskbar groups less.
    (void)setApplicationId(link);
    win32::ComPtr<IPersistFile> persist;
    if (FAILED(result = link.as(persist)))
        return comFailure(result, file);
    if (FAILED(result = persist->Save(wide(file).c_str(), TRUE)))
        return comFailure(result, file);
    return {};
}

} // namespace

QString Win32DesktopFolders::folder(DesktopKind kind) const
{
    const int id =
        kind == DesktopKind::AllUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY;
    wchar_t path[MAX_PATH] = {};
    // SHGFP_TYPE_CURRENT: where the folder is now, also after the user moved it.
    if (FAILED(::SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    QString found = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    while (found.size() > 3 && found.endsWith(u'/'))
        found.chop(1);
    return found;
}

QStringList Win32DesktopFolders::shortcutFiles(const QString &folder, const QString &name) const
{
    return {folder + u'/' + name + QStringLiteral(".lnk")};
}

// The shell's link object writes what only the shell knows: the target's item list, its
// volume and network share, the data that lets it find a moved target again. It saves under
// a new name beside the shortcut, which then takes the shortcut's name only where that is
// free: an existing shortcut is never replaced, and a failure leaves nothing.
Status Win32DesktopFolders::createShortcut(const QString &folder, const Shortcut &shortcut) const
{
    const win32::ComApartment apartment;
    const QString path = shortcutFiles(folder, shortcut.name).constFirst();
    if (exists(path))
        return win32::failureOf(ERROR_FILE_EXISTS, path);
    const QString temporary = win32::temporarySibling(path, QStringLiteral("lnk"));
    if (Status saved = saveLink(temporary, shortcut); !saved.ok()) {
        ::DeleteFileW(wide(temporary).c_str());
        return Failure{saved.failure().code, path, saved.failure().detail};
    }
    if (!::MoveFileExW(wide(temporary).c_str(), wide(path).c_str(), MOVEFILE_WRITE_THROUGH)) {
        const Failure failure = win32::lastFailure(path);
        ::DeleteFileW(wide(temporary).c_str());
        return failure;
    }
    return {};
}

} // namespace menu::platform
