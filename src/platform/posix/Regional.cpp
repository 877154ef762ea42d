#include "platform/posix/Regional.h"

#include "platform/Services.h"

namespace menu::platform {

namespace posix {

namespace {
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
    formats.shortDateFormat = typedDateFormat(locale.dateFormat(QLocale::ShortFormat));
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
