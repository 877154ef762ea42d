// A file that a running program uses cannot be replaced on Windows, only renamed: the loader
// keeps programs and DLLs open with share-delete, which lets a rename through but no replace
// and no delete, on this computer as over a share from another one. A new file therefore takes
// the place of one in use by moving the old one aside under a hidden name beside it; the moved
// copy is removed once nobody uses it any more.
#pragma once

#include <QString>
#include <windows.h>

namespace menu::platform::win32 {

// Whether a failed replace of a file may have failed because something has the file open.
bool mayBeInUse(DWORD error);

// Whether something has path open without letting others write it, as the loader keeps a
// program or DLL: no replace would get through.
bool isInUse(const QString &path);

// Puts the file at from in the place of target by moving target aside first. 0 on success;
// otherwise target stays as it was, and the error is ERROR_SHARING_VIOLATION when target is
// open in a way that allows no rename either.
DWORD replaceInUse(const QString &from, const QString &target);

// Removes the copies of target that replaceInUse moved aside and nobody uses any more; those
// still in use stay for a later try.
void removeSetAside(const QString &target);

} // namespace menu::platform::win32
