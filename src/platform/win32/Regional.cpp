// Regional settings of the user, as the Control Panel sets them (GetLocaleInfoEx for the
// user's default locale); today from the local time of the system.
#include "platform/Regional.h"

#include "platform/Services.h"

#include <windows.h>

namespace menu::platform {

namespace {

// A value of the user's locale; empty when the system does not give it.
QString localeValue(LCTYPE type)
{
    wchar_t buffer[128] = {};
    const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128);
    if (length <= 1)
        return {};
    return QString::fromWCharArray(buffer, length - 1);
}

// The long time format as the system gives it: its pictures use the letters the rest of the
// program reads (H, h, mm, ss, tt).
QString timeFormat()
{
    const QString format = localeValue(LOCALE_STIMEFORMAT).trimmed();
    return format.isEmpty() ? QStringLiteral("H:mm:ss") : format;
}

} // namespace

RegionalFormats SystemRegionalSettings::formats() const
{
    RegionalFormats formats = slovakFormats();
    if (const QString decimal = localeValue(LOCALE_SDECIMAL); !decimal.isEmpty())
        formats.decimalSeparator = decimal.front();
    if (const QString date = localeValue(LOCALE_SSHORTDATE); !date.isEmpty()) {
        formats.shortDateFormat = typedDateFormat(date);
        formats.dateSeparator = dateSeparatorOf(formats.shortDateFormat);
    }
    formats.longTimeFormat = timeFormat();
    if (const QString currency = localeValue(LOCALE_SCURRENCY); !currency.isEmpty())
        formats.currencySymbol = currency;
    return formats;
}

QDate SystemRegionalSettings::today() const
{
    if (clock_ != nullptr)
        return clock_->now().date();
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return QDate(now.wYear, now.wMonth, now.wDay);
}

} // namespace menu::platform
