#include "platform/posix/PosixRegional.h"

#include "platform/platform.h"

namespace menu::platform {

namespace posix {

namespace {
bool isDateLetter(QChar c)
{
    return c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y');
}

// Qt's short formats put a blank after each separator in several locales; a typed date has
// none, and the date functions split at one separator character.
QString compactDateFormat(const QString &format)
{
    QString result;
    for (const QChar c : format) {
        if (!c.isSpace())
            result += c;
    }
    return result.isEmpty() ? QStringLiteral("d.M.yyyy") : result;
}

QChar dateSeparatorOf(const QString &format)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && !isDateLetter(c) && !c.isSpace())
            return c;
    }
    return QLatin1Char('/');
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
    formats.shortDateFormat = compactDateFormat(locale.dateFormat(QLocale::ShortFormat));
    formats.dateSeparator = dateSeparatorOf(formats.shortDateFormat);
    formats.longTimeFormat = timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
    formats.currencySymbol = locale.currencySymbol(QLocale::CurrencySymbol);
    return formats;
}

} // namespace posix

RegionalFormats SystemRegionalSettings::formats() const
{
    return posix::formatsFromLocale(QLocale::system());
}

QDate SystemRegionalSettings::today() const
{
    return clock_ ? clock_->now().date() : QDate::currentDate();
}

} // namespace menu::platform
