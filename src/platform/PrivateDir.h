// A directory of the launcher's own inside a shared temporary directory, for work that no other
// user may see or change (a downloaded package, its unpacked files, the installer started from
// them). It is made fresh under a name nobody held before, readable and writable by its owner
// alone, and checked to belong to this user; its owner removes it with everything in it unless
// told to keep it. Removing never follows a link.
#pragma once

#include "formats/Result.h"

#include <QString>
#include <chrono>
#include <memory>

namespace menu::platform {

class PrivateDir {
  public:
    // Makes a new directory in parent named prefix followed by six random characters. A parent
    // that others may write to without the sticky bit is refused (EPERM): anyone could rename
    // the new directory and put their own in its place.
    static Result<PrivateDir> create(const QString &parent, const QString &prefix);

    PrivateDir(PrivateDir &&) noexcept;
    PrivateDir &operator=(PrivateDir &&) noexcept;
    // Removes the directory and its content, unless it is kept.
    ~PrivateDir();

    QString path() const { return path_; }
    // Leaves the directory on the disk when its owner goes: something started from it still
    // needs its files.
    void keep();
    // Removes the directory and its content now; what could not be removed stays, and the
    // failure says why.
    Status remove();

  private:
    struct Native;
    PrivateDir(std::unique_ptr<Native> native, QString path);
    std::unique_ptr<Native> native_;
    QString path_;
};

// Removes the directories this user kept in parent under names beginning with prefix, once
// they have not changed for minAge: what earlier runs left for a program they started. Links,
// anything that is not a private directory of this user, and younger directories stay.
// Returns how many were removed.
int removeStalePrivateDirs(const QString &parent, const QString &prefix,
                           std::chrono::seconds minAge);

} // namespace menu::platform
