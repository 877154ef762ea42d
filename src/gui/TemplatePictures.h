// The template pictures of the main window: the glyph of a button whose program is missing,
// the submenu pictures chosen by the kind of file, and the picture of a program that has no
// icon of its own. Compiled into the program from resources/templates.qrc.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace menu::gui {

enum class TemplatePicture {
    MissingProgram, // 32 x 32, 24-bit: the program is not installed
    MissingEntry,   // 48 x 48, 32-bit: the entry's file is missing
    Pdf,            // 256 x 256, 24-bit: a .pdf file
    Chm,            // 32 x 32, 24-bit: a .chm file
    Url,            // 64 x 64, 24-bit: a .url file
    Bat,            // 48 x 48, 24-bit: a .bat file
    ProgramGeneric, // 32 x 32, 32-bit: a program without a usable icon
};

// The resource path of a picture (":/templates/<name>.png").
QString templatePicturePath(TemplatePicture picture);

// A fresh copy of the picture.
QImage templatePicture(TemplatePicture picture);
// The picture as an icon, made once.
QIcon templateIcon(TemplatePicture picture);

} // namespace menu::gui
