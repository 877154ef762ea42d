#include "platform/win32/RemoveTree.h"

#include "platform/win32/FileTimes.h"
#include "platform/win32/WinError.h"

#include <QStringList>

#include <cstdint>
#include <vector>

namespace menu::platform::win32 {

namespace {

constexpr int kMaxDepth = 128;

// The names in the open folder, read through its handle; the Windows error of a failed
// listing, or 0.
DWORD namesIn(HANDLE folder, QStringList &names)
{
    std::vector<std::uint64_t> buffer(8192); // 64 KiB, aligned as the entries need
    const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;;
         kind = FileIdBothDirectoryInfo) {
        if (!::GetFileInformationByHandleEx(folder, kind, buffer.data(), size)) {
            const DWORD error = ::GetLastError();
            return error == ERROR_NO_MORE_FILES ? 0 : error;
        }
        const auto *bytes = reinterpret_cast<const unsigned char *>(buffer.data());
        for (DWORD offset = 0;;) {
            const auto *info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(bytes + offset);
            const QString name = QString::fromWCharArray(
                info->FileName, static_cast<qsizetype>(info->FileNameLength / sizeof(wchar_t)));
            if (name != QLatin1String(".") && name != QLatin1String(".."))
                names << name;
            if (info->NextEntryOffset == 0)
                break;
            offset += info->NextEntryOffset;
        }
    }
}

DWORD removeAt(HANDLE entry, const QString &path, int depth);

DWORD removeContents(HANDLE folder, const QString &path, int depth)
{
    if (depth > kMaxDepth)
        return ERROR_CANT_RESOLVE_FILENAME;
    QStringList names;
    DWORD first = namesIn(folder, names);
    for (const QString &name : names) {
        const QString inner = path + u'/' + name;
        const UniqueHandle entry = openForRemoval(inner);
        const DWORD error =
            entry.valid() ? removeAt(entry.get(), inner, depth + 1) : ::GetLastError();
        if (first == 0)
            first = error;
    }
    return first;
}

DWORD removeAt(HANDLE entry, const QString &path, int depth)
{
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(entry, FileBasicInfo, &basic, sizeof basic))
        return ::GetLastError();
    DWORD first = 0;
    if (isFolder(basic.FileAttributes) && !isReparsePoint(basic.FileAttributes))
        first = removeContents(entry, path, depth);
    // A read-only entry cannot be removed; its times stay as they are (zero: unchanged).
    if ((basic.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        FILE_BASIC_INFO writable{};
        writable.FileAttributes = basic.FileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        if (writable.FileAttributes == 0)
            writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        ::SetFileInformationByHandle(entry, FileBasicInfo, &writable, sizeof writable);
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(entry, FileDispositionInfo, &disposition,
                                      sizeof disposition) &&
        first == 0)
        first = ::GetLastError();
    return first;
}

} // namespace

UniqueHandle openForRemoval(const QString &path)
{
    return UniqueHandle(::CreateFileW(
        wide(path).c_str(),
        DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | READ_CONTROL,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

DWORD removeOpened(HANDLE entry, const QString &path)
{
    return removeAt(entry, path, 0);
}

DWORD removeTree(const QString &path)
{
    const UniqueHandle entry = openForRemoval(path);
    return entry.valid() ? removeOpened(entry.get(), path) : ::GetLastError();
}

} // namespace menu::platform::win32
