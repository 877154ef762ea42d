#include "platform/Regional.h"

#include <QStringList>

#include <algorithm>

namespace menu::platform {

namespace {
bool isDateLetter(QChar c)
{
    return c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y');
}
} // namespace

QString typedDateFormat(const QString &format)
{
    QStringList parts;
    QChar separator;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && isDateLetter(c)) {
            const QString letter(c);
            const bool seen = std::any_of(parts.begin(), parts.end(), [&](const QString &part) {
                return part.startsWith(letter);
            });
            if (!seen && c == QLatin1Char('y'))
                parts << (run == 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"));
            else if (!seen)
                parts << QString(run >= 2 ? 2 : 1, c);
        } else if (!quoted && separator.isNull() && !c.isSpace() && !parts.isEmpty()) {
            separator = c;
        }
        i += run;
    }
    if (parts.size() != 3)
        return QStringLiteral("d.M.yyyy");
    if (separator.isNull())
        separator = QLatin1Char('.');
    return parts.join(separator);
}

QChar dateSeparatorOf(const QString &format)
{
    for (const QChar c : format) {
        if (!isDateLetter(c))
            return c;
    }
    return QLatin1Char('.');
}

RegionalFormats slovakFormats()
{
    return RegionalFormats{QLatin1Char(','), QLatin1Char('.'), QStringLiteral("d.M.yyyy"),
                           QStringLiteral("H:mm:ss"), QStringLiteral("€")};
}

QChar RegionalFormats::timeSeparator() const
{
    bool quoted = false;
    for (const QChar c : longTimeFormat) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return QLatin1Char(':');
}

} // namespace menu::platform
