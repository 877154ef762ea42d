// Removing a folder with everything in it where others may change it meanwhile: nothing is
// followed that was swapped in after it was listed. Every entry is opened as itself (a
// symbolic link or a junction, never what it names) and removed through its handle; a folder
// stays open without delete sharing while it is emptied, so that nobody can move it away and
// put a link in its place.
#pragma once

#include "platform/win32/UniqueHandle.h"

#include <QString>

#include <windows.h>

namespace menu::platform::win32 {

// The entry at path itself, opened so that it can be listed, stamped and removed, and that
// nobody can rename or remove it while it is open; invalid with GetLastError() set.
UniqueHandle openForRemoval(const QString &path);

// Removes the opened entry at path: a link itself, a folder with what is in it. It goes when
// the handle closes. Goes on after a failure and returns the first one's Windows error, or 0.
DWORD removeOpened(HANDLE entry, const QString &path);

// Both in one.
DWORD removeTree(const QString &path);

} // namespace menu::platform::win32
