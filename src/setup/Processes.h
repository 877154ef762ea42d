// The launcher's processes: waiting until every one of them has ended, and starting one.
#pragma once

#include <windows.h>

#include <string>

namespace menu::setup {

// Waits until no process runs the program (its image path, case-blind), at most budgetMs in
// all. False when one still runs at the end, or when the processes cannot be listed.
bool waitUntilEnded(const std::wstring &program, DWORD budgetMs);

// Starts the program in its own directory, inheriting no handles; 0, or the Windows error.
DWORD startProgram(const std::wstring &program, const std::wstring &directory);

} // namespace menu::setup
