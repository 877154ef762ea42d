// The package's own font: Tahoma 8 points (11 pixels at 96 dots per inch); where it is missing,
// a face about as narrow, so that captions, labels and the status bar's panels fit the places
// they were measured for.
#pragma once

#include <QFont>

namespace menu::gui {

QFont tahoma8();

} // namespace menu::gui
