#include "gui/TemplatePictures.h"

#include <QHash>
#include <QPixmap>

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
    case TemplatePicture::MissingProgram:
        name = "BitBtnDefault";
        break;
    case TemplatePicture::MissingEntry:
        name = "MenuItemDefaultNeexistIco";
        break;
    case TemplatePicture::Pdf:
        name = "MenuItemDefaultNeexistPdf";
        break;
    case TemplatePicture::Chm:
        name = "MenuItemDefaultNeexistChm";
        break;
    case TemplatePicture::Url:
        name = "MenuItemDefaultNeexistUrl";
        break;
    case TemplatePicture::Bat:
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

QIcon templateIcon(TemplatePicture picture)
{
    static QHash<int, QIcon> made;
    auto found = made.find(static_cast<int>(picture));
    if (found == made.end())
        found = made.insert(static_cast<int>(picture),
                            QIcon(QPixmap::fromImage(templatePicture(picture))));
    return *found;
}

} // namespace menu::gui
