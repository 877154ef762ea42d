// Failures of the Win32 API in the project's terms: the codes that have an errno twin become
// that errno value, so that the Slovak texts of the catalogue say them; any other keeps its
// Windows number (system category) together with the system's own words.
#pragma once

#include "formats/Result.h"

#include <QString>

#include <string>

namespace menu::platform::win32 {

// The errno value for a Windows error code (GetLastError()), or 0 when there is none.
int errnoOf(unsigned long error);

// A failure for a Windows error code, concerning path.
Failure failureOf(unsigned long error, const QString &path = {});

// A failure for GetLastError() as it is now; call it before anything else can change it.
Failure lastFailure(const QString &path = {});

// The system's own words for a Windows error code, without the line break at the end.
QString systemMessage(unsigned long error);

// Paths for the wide functions: native separators, NUL-terminated.
std::wstring wide(const QString &path);
QString fromWide(const wchar_t *text);

} // namespace menu::platform::win32
