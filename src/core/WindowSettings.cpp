#include "core/WindowSettings.h"

#include "core/PackagePaths.h"

#include <limits>

namespace menu::core {

int parseWholeNumber(const QString &text, int fallback)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return fallback;
    return static_cast<int>(value);
}

WindowPlacement WindowPlacementRead(const QString &left, const QString &width, const QString &top,
                                    const QString &height, const QString &windowState,
                                    const platform::ScreenLimits &screen)
{
    WindowPlacement placement;
    placement.maximized = windowState == QLatin1String("1");

    const WindowPlacement whole{0, 0, screen.maxWidth, screen.maxHeight, placement.maximized};
    if (left.trimmed().isEmpty() || width.trimmed().isEmpty() || top.trimmed().isEmpty() ||
        height.trimmed().isEmpty())
        return whole;

    const auto bound = [](const QString &text) { return std::max(0, parseWholeNumber(text)); };
    placement.left = bound(left);
    placement.width = bound(width);
    placement.top = bound(top);
    placement.height = bound(height);
    // Compared in 64 bits: stored values near the int limits must not wrap into "fits".
    if (qint64{placement.left} + placement.width > screen.maxWidth ||
        qint64{placement.top} + placement.height > screen.maxHeight)
        return whole;
    return placement;
}

bool buttonsHorizontalFrom(const QString &buttonsView)
{
    return buttonsView.compare(QLatin1String("Ver"), Qt::CaseInsensitive) != 0;
}

QString buttonsViewText(bool horizontal)
{
    return horizontal ? QStringLiteral("Hor") : QStringLiteral("Ver");
}

std::uint8_t licKonFrom(const QString &text)
{
    return static_cast<std::uint8_t>(static_cast<unsigned>(parseWholeNumber(text)) & 0xFFu);
}

bool installationAccepted(const QString &executablePath)
{
    return drivePrefixOf(executablePath).has_value();
}

QString installationRefusedText(const QString &fileVersion)
{
    return QStringLiteral("Program ORVAN-Základná ponuka v") + fileVersion +
           QStringLiteral(" nie je spustený z povoleného adresára !") + QStringLiteral("\r\r") +
           QStringLiteral("Koniec programu !");
}

} // namespace menu::core
