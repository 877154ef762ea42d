// What the installer tells its user: the Slovak texts, in a message box, or on stderr when
// ORVAN_SETUP_QUIET=1 (tests and scripts must never wait for a click).
#pragma once

#include <windows.h>

#include <string>

namespace menu::setup {

std::wstring noTargetText();
std::wstring notEndedText();
// file: the name of the file that failed, relative to the launcher's directory.
std::wstring installFailedText(const std::wstring &file, DWORD error);
std::wstring startFailedText(const std::wstring &program, DWORD error);

// The system's own words for a Windows error code, without the line break at the end.
std::wstring systemReason(DWORD error);

// An error box titled "ORVAN - inštalácia", or the text on stderr (UTF-8) in quiet mode.
void reportError(const std::wstring &text);

// The value of an environment variable; empty when it is unset.
std::wstring environment(const wchar_t *name);

} // namespace menu::setup
