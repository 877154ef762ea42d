#include "gui/Fonts.h"

#include <QStringList>

namespace menu::gui {

QFont tahoma8()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Segoe UI"),
                      QStringLiteral("DejaVu Sans Condensed"),
                      QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    return font;
}

} // namespace menu::gui
