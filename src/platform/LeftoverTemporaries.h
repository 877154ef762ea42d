// The new content of a file is written beside it under "." + name + "." + a random base-36
// number + ".tmp", on both sides of the seam. A writer killed on the way leaves it there; the
// next write of the same file removes this user's leftovers once they are older than any
// writer takes.
#pragma once

#include <QString>

#include <chrono>

namespace menu::platform {

// A writer finishes in seconds; one whose leftover is an hour old was killed.
inline constexpr std::chrono::seconds kLeftoverTemporaryAge{3600};

// Whether entry, a name in the file's folder, is such a leftover of the file called name.
// Names compare as the file system does (without case on Windows).
bool isLeftoverTemporary(const QString &entry, const QString &name, Qt::CaseSensitivity names);

} // namespace menu::platform
