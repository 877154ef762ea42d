#include "platform/DesktopScreen.h"

#include <QGuiApplication>
#include <QScreen>

namespace menu::platform {

ScreenLimits DesktopScreen::limits() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    // The available height already is the full-screen client height plus one caption.
    const QRect area = screen->availableGeometry();
    return {area.width(), area.height()};
}

} // namespace menu::platform
