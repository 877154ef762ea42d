#include "widgets/DateUtil.h"

#include <array>

namespace menu::widgets {

namespace {
bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A run of 1 to 9 ASCII digits as a number; nothing for anything else.
std::optional<int> smallNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// Copies the text quoted at format[i] (up to the closing quote, or to the end) to result;
// returns where the format goes on.
qsizetype appendQuoted(const QString &format, qsizetype i, QString &result)
{
    const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
    const qsizetype end = close < 0 ? format.size() : close;
    result += format.mid(i + 1, end - i - 1);
    return end + 1;
}

// The length of the run of c starting at i.
qsizetype runLength(const QString &s, qsizetype i)
{
    qsizetype end = i;
    while (end < s.size() && s[end] == s[i])
        ++end;
    return end - i;
}

enum class DatePart { Day, Month, Year };

// The order of day, month and year in a short date format; day, month, year when unclear.
std::array<DatePart, 3> partOrder(const QString &format)
{
    std::array<DatePart, 3> order{};
    int found = 0;
    bool seen[3] = {false, false, false};
    for (const QChar c : format) {
        DatePart part;
        if (c == QLatin1Char('d') || c == QLatin1Char('D'))
            part = DatePart::Day;
        else if (c == QLatin1Char('M') || c == QLatin1Char('m'))
            part = DatePart::Month;
        else if (c == QLatin1Char('y') || c == QLatin1Char('Y'))
            part = DatePart::Year;
        else
            continue;
        const auto index = static_cast<std::size_t>(part);
        if (!seen[index]) {
            seen[index] = true;
            order[static_cast<std::size_t>(found++)] = part;
        }
    }
    if (found != 3)
        return {DatePart::Day, DatePart::Month, DatePart::Year};
    return order;
}

bool hasDesignator(const QString &format)
{
    return format.contains(QLatin1String("AP"), Qt::CaseInsensitive) ||
           format.contains(QLatin1Char('t'));
}
} // namespace

QString unifyDateSeparators(const QString &text, QChar separator)
{
    static const QString separators = QStringLiteral(" ,-./:");
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (isAsciiDigit(c))
            result += c;
        else if (separators.contains(c))
            result += separator;
    }
    return result;
}

QString appendSeparator(const QString &text, QChar separator)
{
    if (text.isEmpty() || text.endsWith(separator))
        return text;
    return text + separator;
}

QString datePart(const QString &text, int n, QChar separator)
{
    if (text.isEmpty())
        return {};
    const qsizetype first = text.indexOf(separator);
    const qsizetype lastIndex = text.lastIndexOf(separator);
    const qsizetype last = lastIndex > first ? lastIndex : -1;
    switch (n) {
    case 1:
        return first < 0 ? text : text.left(first);
    case 2:
        if (first < 0)
            return {};
        return last < 0 ? text.mid(first + 1) : text.mid(first + 1, last - first - 1);
    case 3:
        return last < 0 ? QString() : text.mid(last + 1);
    default:
        return {};
    }
}

std::optional<QString> completeDate(const QString &text, const platform::RegionalFormats &formats,
                                    QDate today)
{
    if (text.isEmpty())
        return QString();
    const QChar separator = formats.dateSeparator;
    QString typed = unifyDateSeparators(text, separator);
    const QString now = formatDate(today, formats.shortDateFormat);
    if (datePart(typed, 2, separator).isEmpty())
        typed = appendSeparator(typed, separator) + datePart(now, 2, separator) + separator +
                datePart(now, 3, separator);
    else if (datePart(typed, 3, separator).isEmpty())
        typed = appendSeparator(typed, separator) + datePart(now, 3, separator);
    const std::optional<QDate> date = readDate(typed, formats, today);
    if (!date)
        return std::nullopt;
    return formatDate(*date, formats.shortDateFormat);
}

std::optional<QDate> readDate(const QString &text, const platform::RegionalFormats &formats,
                              QDate today)
{
    const QChar ds = formats.dateSeparator;
    QString trimmed = text.trimmed();
    // Formats such as "yyyy.MM.dd." end with the separator; so may the text.
    if (formats.shortDateFormat.endsWith(ds) && trimmed.endsWith(ds))
        trimmed.chop(1);
    const QStringList pieces = trimmed.split(ds);
    if (pieces.size() != 2 && pieces.size() != 3)
        return std::nullopt;

    std::array<DatePart, 3> order = partOrder(formats.shortDateFormat);
    int day = 0;
    int month = 0;
    int year = today.year();
    bool shortYear = false;
    qsizetype piece = 0;
    for (const DatePart part : order) {
        if (part == DatePart::Year && pieces.size() == 2)
            continue; // no year typed: this year
        const std::optional<int> value = smallNumber(pieces[piece]);
        if (!value)
            return std::nullopt;
        switch (part) {
        case DatePart::Day:
            day = *value;
            break;
        case DatePart::Month:
            month = *value;
            break;
        case DatePart::Year:
            year = *value;
            shortYear = pieces[piece].size() <= 2;
            break;
        }
        ++piece;
    }
    if (shortYear) {
        // Within 50 years of today, as people mean "24" or "80".
        const int base = today.year() - 50;
        year += base / 100 * 100;
        if (year < base)
            year += 100;
    }
    if (year < 1 || year > 9999)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString formatDate(QDate date, const QString &format)
{
    QString result;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            i = appendQuoted(format, i, result);
            continue;
        }
        const qsizetype run = runLength(format, i);
        if (c == QLatin1Char('d'))
            result += padded(date.day(), run >= 2 ? 2 : 1);
        else if (c == QLatin1Char('M'))
            result += padded(date.month(), run >= 2 ? 2 : 1);
        else if (c == QLatin1Char('y'))
            result +=
                run >= 3 ? padded(date.year(), 4) : padded(date.year() % 100, run == 2 ? 2 : 1);
        else
            result += format.mid(i, run);
        i += run;
    }
    return result;
}

std::optional<QTime> readTime(const QString &text, const platform::RegionalFormats &formats)
{
    QString rest = text.trimmed();
    int designator = 0; // 1 AM, 2 PM
    if (rest.endsWith(QLatin1String("AM"), Qt::CaseInsensitive))
        designator = 1;
    else if (rest.endsWith(QLatin1String("PM"), Qt::CaseInsensitive))
        designator = 2;
    if (designator != 0) {
        rest.chop(2);
        rest = rest.trimmed();
    }
    const QStringList pieces = rest.split(formats.timeSeparator());
    if (pieces.size() != 2 && pieces.size() != 3)
        return std::nullopt;
    int values[3] = {0, 0, 0};
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (pieces[i].size() > 2)
            return std::nullopt;
        const std::optional<int> value = smallNumber(pieces[i]);
        if (!value)
            return std::nullopt;
        values[i] = *value;
    }
    int hour = values[0];
    if (designator != 0) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (designator == 2 ? 12 : 0);
    }
    const QTime time(hour, values[1], values[2]);
    if (!time.isValid())
        return std::nullopt;
    return time;
}

QString formatTime(QTime time, const QString &format)
{
    const bool twelveHour = hasDesignator(format);
    const bool pm = time.hour() >= 12;
    QString result;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            i = appendQuoted(format, i, result);
            continue;
        }
        if (format.mid(i, 2) == QLatin1String("AP") || format.mid(i, 2) == QLatin1String("ap")) {
            const QString text = pm ? QStringLiteral("PM") : QStringLiteral("AM");
            result += c == QLatin1Char('a') ? text.toLower() : text;
            i += 2;
            continue;
        }
        const qsizetype run = runLength(format, i);
        const int width = run >= 2 ? 2 : 1;
        if (c == QLatin1Char('H'))
            result += padded(time.hour(), width);
        else if (c == QLatin1Char('h'))
            result += padded(twelveHour ? (time.hour() + 11) % 12 + 1 : time.hour(), width);
        else if (c == QLatin1Char('m'))
            result += padded(time.minute(), width);
        else if (c == QLatin1Char('s'))
            result += padded(time.second(), width);
        else if (c == QLatin1Char('t'))
            result += pm ? QStringLiteral("PM") : QStringLiteral("AM");
        else
            result += format.mid(i, run);
        i += run;
    }
    return result;
}

} // namespace menu::widgets
