// Message texts are written with Windows line breaks; Qt breaks lines at LF only.
#pragma once

#include <QString>

namespace menu::formats {

// text with each of its line breaks as one LF: CR LF, a lone CR and a lone LF are one break
// each, so two breaks in a row still leave an empty line.
QString messageLines(const QString &text);

} // namespace menu::formats
