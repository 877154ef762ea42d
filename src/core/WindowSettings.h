// The launcher's own settings of its window, as read from and written to menu.ini.
#pragma once

#include "platform/Services.h"

#include <QString>

#include <cstdint>

namespace menu::core {

// A whole number as the settings store it; missing or unparsable text gives fallback.
int parseWholeNumber(const QString &text, int fallback = 0);

struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
};

// The stored placement, or the whole screen when a bound is missing or the window would not
// fit on the screen.
WindowPlacement WindowPlacementRead(const QString &left, const QString &width, const QString &top,
                                    const QString &height, const QString &windowState,
                                    const platform::ScreenLimits &screen);

// "Ver" (any case) arranges the buttons in columns; anything else, in rows.
bool buttonsHorizontalFrom(const QString &buttonsView);
QString buttonsViewText(bool horizontal);

// The update-check frequency is kept as its low eight bits (300 is held as 44).
std::uint8_t licKonFrom(const QString &text);

// The executable must run from <drive>/ORVAN/MENU/ or below.
bool installationAccepted(const QString &executablePath);
QString installationRefusedText(const QString &fileVersion);

} // namespace menu::core
