// Whose a file or folder is, and who may get into a private folder, as their security
// descriptors tell it. Links are judged themselves: a symbolic link or a junction planted by
// someone else is theirs, whatever it names.
#pragma once

#include "platform/win32/UniqueHandle.h"

#include <QString>

#include <windows.h>

namespace menu::platform::win32 {

enum class Owner {
    User,           // this user: the token's user, or its default owner for new objects
    Administration, // the administrators or the system
    Other,          // anyone else
    Unknown,        // the system does not tell (no security on this volume)
};

// The entry at path itself, never what a link there names, with access (READ_CONTROL is
// added); invalid with GetLastError() set when it cannot be opened.
UniqueHandle openEntry(const QString &path, DWORD access);

Owner ownerOf(HANDLE entry);
// For the entry at path itself; Unknown when it cannot be opened.
Owner ownerOf(const QString &path);

// Whether the open folder's access list lets in nobody but this user, the system and the
// administrators. A folder without an access list lets everybody in.
bool onlyOwnersAllowed(HANDLE folder);

} // namespace menu::platform::win32
