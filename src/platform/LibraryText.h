// Texts that C libraries (libcurl) write as bytes. On Windows libcurl turns the system's error
// messages (Schannel's among them, in the system's language) into bytes with the C library's
// wcstombs, in the code page of its locale; elsewhere they are UTF-8.
#pragma once

#include <QString>

namespace menu::platform {

// Prepares the C library's character conversions for such messages. Called once by a program's
// start, before any other thread runs. It does nothing on either system today (see the
// Windows side).
void prepareLibraryTexts();

// A library's text as a string: UTF-8 when it is valid UTF-8, else (Windows) the code page
// prepareLibraryTexts chose.
QString libraryText(const char *text);

} // namespace menu::platform
