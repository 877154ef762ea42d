#include "platform/win32/SetAside.h"

#include "platform/win32/FileTimes.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"

#include <algorithm>

namespace menu::platform::win32 {

namespace {

// The suffix of a moved-aside copy: ".<name>.<random>.old" beside the file.
QString setAsideSuffix()
{
    return QStringLiteral("old");
}

// Whether something has path open so that it may not be deleted or renamed: an open for
// deletion that shares everything else fails with a sharing violation only then.
bool heldAgainstRename(const QString &path)
{
    const UniqueHandle probe(::CreateFileW(
        wide(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return !probe.valid() && ::GetLastError() == ERROR_SHARING_VIOLATION;
}

} // namespace

bool mayBeInUse(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED: // a mapped program or DLL, as Windows reports it
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return true;
    default:
        return false;
    }
}

bool isInUse(const QString &path)
{
    const UniqueHandle probe(::CreateFileW(wide(path).c_str(), GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr));
    if (probe.valid())
        return false;
    const DWORD error = ::GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

DWORD replaceInUse(const QString &from, const QString &target)
{
    removeSetAside(target);
    const DWORD attributes = attributesOf(target);
    // A read-only file is refused as it would be without anyone using it, and a folder is
    // never a program to move aside.
    if (attributes == INVALID_FILE_ATTRIBUTES || isFolder(attributes) ||
        (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return ERROR_ACCESS_DENIED;
    const std::wstring to = wide(target);
    const std::wstring aside = wide(temporarySibling(target, setAsideSuffix()));
    if (!::MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        return heldAgainstRename(target) ? ERROR_SHARING_VIOLATION : error;
    }
    if (!::MoveFileExW(wide(from).c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
        return error;
    }
    // Out of sight until it goes; it goes at once when its user has let it go meanwhile.
    ::SetFileAttributesW(aside.c_str(),
                         (attributes & ~DWORD{FILE_ATTRIBUTE_NORMAL}) | FILE_ATTRIBUTE_HIDDEN);
    ::DeleteFileW(aside.c_str());
    return 0;
}

void removeSetAside(const QString &target)
{
    const qsizetype slash = std::max(target.lastIndexOf(u'/'), target.lastIndexOf(u'\\'));
    const QString dir = target.left(slash + 1);
    const QString name = target.mid(slash + 1);
    if (name.isEmpty())
        return;
    const std::wstring pattern = wide(dir + u'.' + name + QStringLiteral(".*.") + setAsideSuffix());
    WIN32_FIND_DATAW found{};
    const UniqueFind search(::FindFirstFileW(pattern.c_str(), &found));
    if (!search.valid())
        return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            ::DeleteFileW(wide(dir + QString::fromWCharArray(found.cFileName)).c_str());
    } while (::FindNextFileW(search.get(), &found));
}

} // namespace menu::platform::win32
