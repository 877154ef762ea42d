// Whether a directory is safe to make this user's private entries in: nobody else may rename
// or replace what is in it. That holds when only this user (or the administrator) can write
// into it, or when it is sticky and belongs to the administrator or to this user, as /tmp does.
// A group-writable parent would let any member of the group swap a private directory for one
// of their own.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

namespace menu::platform {

inline bool othersCannotSwapEntries(const struct stat &parent)
{
    const bool ownOrAdministrators = parent.st_uid == ::geteuid() || parent.st_uid == 0;
    if (!ownOrAdministrators)
        return false;
    if ((parent.st_mode & (S_IWGRP | S_IWOTH)) == 0)
        return true;
    return (parent.st_mode & S_ISVTX) != 0;
}

} // namespace menu::platform
