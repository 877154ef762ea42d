// What the launcher tells its user in a message box: the kind of box and its text. The rules
// decide both; the windows only show them.
#pragma once

#include <QString>

namespace menu::core {

// The four boxes: error, warning and information boxes have OK only, a confirmation has Yes
// and No.
enum class BoxKind { Error, Warning, Information, Confirmation };
enum class BoxAnswer { Ok, Yes, No };

struct Notice {
    BoxKind kind = BoxKind::Information;
    QString text;
};

// What the information label of the main window shows.
struct LabelNotice {
    QString text;
    QString hint; // the tooltip
    bool red = false;
};

} // namespace menu::core
