#include "platform/posix/PosixRegional.h"

#include "platform/Services.h"

#include <algorithm>

namespace menu::platform {

namespace posix {

namespace {
bool isDateLetter(QChar c)
{
    return c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y');
}

// The short date format as a user types dates: day, month and year as numbers in the locale's
// order, joined by one separator character. Qt's formats put a blank after each separator in
// several locales ("d. M. yyyy"), and some name the month ("d MMM yyyy"); a typed date has
// neither, and the date functions split at one separator character.
QString numericDateFormat(const QString &format)
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

// Drops the time zone ("t", "tt", "ttt", "tttt") that Qt's long format carries: a time of day
// typed into a field has none.
QString timeFormatWithoutZone(const QString &format)
{
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result += c;
    }
    result = result.trimmed();
    return result.isEmpty() ? QStringLiteral("H:mm:ss") : result;
}
} // namespace

RegionalFormats formatsFromLocale(const QLocale &locale)
{
    RegionalFormats formats;
    const QString decimal = locale.decimalPoint();
    formats.decimalSeparator = decimal.isEmpty() ? QLatin1Char('.') : decimal.front();
    formats.shortDateFormat = numericDateFormat(locale.dateFormat(QLocale::ShortFormat));
    formats.dateSeparator = dateSeparatorOf(formats.shortDateFormat);
    formats.longTimeFormat = timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
    formats.currencySymbol = locale.currencySymbol(QLocale::CurrencySymbol);
    return formats;
}

} // namespace posix

RegionalFormats SystemRegionalSettings::formats() const
{
    // An unconfigured system (the C or POSIX locale) gets the settings of the package's users.
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return slovakFormats();
    return posix::formatsFromLocale(system);
}

QDate SystemRegionalSettings::today() const
{
    return clock_ ? clock_->now().date() : QDate::currentDate();
}

} // namespace menu::platform
