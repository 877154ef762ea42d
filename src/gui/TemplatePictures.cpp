#include "gui/TemplatePictures.h"

// The pictures live in a static library; registering them here keeps the linker from
// dropping them.
static void registerTemplatePictures()
{
    Q_INIT_RESOURCE(templates);
}

namespace menu::gui {

QString templatePicturePath(TemplatePicture picture)
{
    const char *name = "";
    switch (picture) {
    case TemplatePicture::BitBtnDefault:
        name = "BitBtnDefault";
        break;
    case TemplatePicture::MenuItemDefaultNeexistIco:
        name = "MenuItemDefaultNeexistIco";
        break;
    case TemplatePicture::MenuItemDefaultNeexistPdf:
        name = "MenuItemDefaultNeexistPdf";
        break;
    case TemplatePicture::MenuItemDefaultNeexistChm:
        name = "MenuItemDefaultNeexistChm";
        break;
    case TemplatePicture::MenuItemDefaultNeexistUrl:
        name = "MenuItemDefaultNeexistUrl";
        break;
    case TemplatePicture::MenuItemDefaultNeexistBat:
        name = "MenuItemDefaultNeexistBat";
        break;
    case TemplatePicture::ProgramGeneric:
        name = "ProgramGeneric";
        break;
    }
    return QStringLiteral(":/templates/%1.png").arg(QLatin1String(name));
}

QImage templatePicture(TemplatePicture picture)
{
    static const bool registered = (registerTemplatePictures(), true);
    (void)registered;
    return QImage(templatePicturePath(picture));
}

} // namespace menu::gui
