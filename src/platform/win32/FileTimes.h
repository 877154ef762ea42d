// Times and identities of files as the Windows file functions give them, in the project's
// terms.
#pragma once

#include "platform/Files.h"

#include <windows.h>

namespace menu::platform::win32 {

// 100-nanosecond ticks since 1601 (a FILETIME, or a LARGE_INTEGER of FILE_BASIC_INFO) as
// nanoseconds since 1970, the epoch of the other side's stamps.
std::int64_t unixNs(std::int64_t ticks);
std::int64_t unixNs(const FILETIME &time);

// The stamp of an open file or directory: volume and file index, size, attributes, and the
// times of its last write and of its last change (of content or attributes).
std::optional<FileStamp> stampOf(HANDLE handle);

// FILE_ATTRIBUTE_* of path, or INVALID_FILE_ATTRIBUTES with GetLastError() set.
DWORD attributesOf(const QString &path);

inline bool isReparsePoint(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
inline bool isFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A name for a new file beside the given one: ".<name>.<random>.<suffix>".
QString temporarySibling(const QString &path, const QString &suffix);

} // namespace menu::platform::win32
