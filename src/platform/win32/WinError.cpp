#include "platform/win32/WinError.h"

#include <QDir>

#include <cerrno>
#include <windows.h>

namespace menu::platform::win32 {

int errnoOf(unsigned long error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
    case ERROR_USER_MAPPED_FILE:
    case ERROR_UNABLE_TO_REMOVE_REPLACED: // ReplaceFileW: someone has the old file open
        return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MARKED_INVALID:
        return ENOEXEC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
        return EIO;
    default:
        return 0;
    }
}

QString systemMessage(unsigned long error)
{
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr)
        return {};
    const QString text = QString::fromWCharArray(buffer, static_cast<qsizetype>(length)).trimmed();
    ::LocalFree(buffer);
    return text;
}

Failure failureOf(unsigned long error, const QString &path)
{
    if (const int mapped = errnoOf(error); mapped != 0)
        return Failure::errnoValue(mapped, path);
    return {std::error_code(static_cast<int>(error), std::system_category()), path,
            systemMessage(error)};
}

Failure lastFailure(const QString &path)
{
    return failureOf(::GetLastError(), path);
}

std::wstring wide(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

QString fromWide(const wchar_t *text)
{
    return text == nullptr ? QString() : QString::fromWCharArray(text);
}

} // namespace menu::platform::win32
