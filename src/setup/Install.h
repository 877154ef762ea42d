// Puts the package's files in place of the launcher's, all or nothing as far as the file system
// lets it: every file is first written in full beside its destination under a temporary name,
// and only when all are written are they renamed over the old ones, menu.exe last. A copy of each
// replaced file is kept meanwhile, so that a failed rename puts the old files back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace menu::setup {

struct InstallFailure {
    std::wstring file; // relative to the launcher's directory, e.g. platforms\qwindows.dll
    DWORD error = 0;
};

// Copies the tree of source (without its top-level setup.exe; reparse points are skipped) into
// target. On failure nothing of the package remains in target and its old files are as they
// were.
std::optional<InstallFailure> install(const std::wstring &source, const std::wstring &target);

} // namespace menu::setup
