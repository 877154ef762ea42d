#include "widgets/EditValue.h"

#include "widgets/DateUtil.h"

#include <QLocale>

#include <cmath>
#include <limits>
#include <vector>

namespace menu::widgets {

namespace {
bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The decimal digits of a non-negative value: integer digits without leading zeros (empty for
// zero) and fraction digits.
struct DecimalDigits {
    QString integer;
    QString fraction;
};

DecimalDigits exactDigits(double absValue)
{
    // The shortest text that reads back as the same double: what the user typed, not the
    // binary neighbour of it, so that 12.345 rounds to 12.35.
    const QString text = QString::number(absValue, 'f', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    DecimalDigits digits;
    digits.integer = point < 0 ? text : text.left(point);
    digits.fraction = point < 0 ? QString() : text.mid(point + 1);
    while (!digits.integer.isEmpty() && digits.integer.front() == QLatin1Char('0'))
        digits.integer.remove(0, 1);
    return digits;
}

// Rounds half away from zero to the given number of fraction digits (exactly that many after).
void roundDigits(DecimalDigits &digits, qsizetype decimals)
{
    const bool up =
        digits.fraction.size() > decimals && digits.fraction[decimals] >= QLatin1Char('5');
    if (digits.fraction.size() > decimals)
        digits.fraction.truncate(decimals);
    else
        digits.fraction += QString(decimals - digits.fraction.size(), QLatin1Char('0'));
    if (!up)
        return;
    QString all = digits.integer + digits.fraction;
    qsizetype i = all.size() - 1;
    for (; i >= 0; --i) {
        if (all[i] == QLatin1Char('9')) {
            all[i] = QLatin1Char('0');
        } else {
            all[i] = QChar(all[i].unicode() + 1);
            break;
        }
    }
    if (i < 0)
        all.prepend(QLatin1Char('1'));
    digits.integer = all.left(all.size() - decimals);
    digits.fraction = all.right(decimals);
}

bool allZero(const QString &digits)
{
    for (const QChar c : digits) {
        if (c != QLatin1Char('0'))
            return false;
    }
    return true;
}

// One piece of a parsed pattern.
struct PatternPiece {
    enum Kind { Literal, IntegerPlace, Point, FractionPlace } kind;
    bool zero = false; // a 0 place (always written) rather than a # place
    QString text;      // of a literal
};

std::vector<PatternPiece> parsePattern(const QString &pattern,
                                       const std::optional<QString> &currencySymbol)
{
    std::vector<PatternPiece> pieces;
    bool afterPoint = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (currencySymbol && c == QLatin1Char('%') && i + 1 < pattern.size() &&
            pattern[i + 1] == QLatin1Char('s')) {
            pieces.push_back({PatternPiece::Literal, false, *currencySymbol});
            ++i;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            pieces.push_back({afterPoint ? PatternPiece::FractionPlace : PatternPiece::IntegerPlace,
                              c == QLatin1Char('0'), QString()});
        } else if (c == QLatin1Char('.') && !afterPoint) {
            pieces.push_back({PatternPiece::Point, false, QString()});
            afterPoint = true;
        } else {
            pieces.push_back({PatternPiece::Literal, false, QString(c)});
        }
    }
    return pieces;
}

// How many digit places a pattern has, and how many of them are always written.
struct PatternPlaces {
    qsizetype integer = 0;
    qsizetype minInteger = 0;
    qsizetype decimals = 0;
    qsizetype minDecimals = 0;
};

PatternPlaces countPlaces(const std::vector<PatternPiece> &pieces)
{
    PatternPlaces places;
    for (const PatternPiece &piece : pieces) {
        if (piece.kind == PatternPiece::IntegerPlace) {
            ++places.integer;
            if (piece.zero || places.minInteger > 0)
                ++places.minInteger; // from the first 0 on, every place is written
        } else if (piece.kind == PatternPiece::FractionPlace) {
            ++places.decimals;
            if (piece.zero)
                places.minDecimals = places.decimals;
        }
    }
    return places;
}

// Rounded digits made to fit the places that are always written: leading zeros added, trailing
// zeros of optional decimal places dropped.
void fitDigits(DecimalDigits &digits, const PatternPlaces &places)
{
    QString &integer = digits.integer;
    QString &fraction = digits.fraction;
    if (integer.size() < places.minInteger)
        integer.prepend(QString(places.minInteger - integer.size(), QLatin1Char('0')));
    while (fraction.size() > places.minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer.isEmpty() && fraction.isEmpty())
        integer = QStringLiteral("0"); // nothing at all would hide the value
}

// Writes fitted digits into the pieces of a pattern, one piece after the other.
class PatternWriter {
  public:
    PatternWriter(const DecimalDigits &digits, const PatternPlaces &places, bool negative,
                  QChar decimalSeparator)
        : digits_(digits), places_(places), signWritten_(!negative),
          integerWritten_(places.integer > 0), decimalSeparator_(decimalSeparator)
    {
    }

    void write(const PatternPiece &piece)
    {
        switch (piece.kind) {
        case PatternPiece::Literal:
            result_ += piece.text;
            break;
        case PatternPiece::IntegerPlace:
            writeIntegerPlace();
            break;
        case PatternPiece::Point:
            writePoint();
            break;
        case PatternPiece::FractionPlace:
            if (fractionIndex_ < digits_.fraction.size())
                writeDigits(digits_.fraction.mid(fractionIndex_, 1));
            ++fractionIndex_;
            break;
        }
    }

    QString result() const { return result_; }

  private:
    void writeIntegerPlace()
    {
        // Place j of k shows digit j - k of the integer counted from its end; the first place
        // also takes every digit the pattern has no place for.
        const QString &integer = digits_.integer;
        const qsizetype digit = integer.size() - places_.integer + integerIndex_;
        if (integerIndex_ == 0 && digit > 0)
            writeDigits(integer.left(digit + 1));
        else if (digit >= 0)
            writeDigits(integer.mid(digit, 1));
        ++integerIndex_;
    }

    void writePoint()
    {
        if (!integerWritten_) {
            writeDigits(digits_.integer);
            integerWritten_ = true;
        }
        if (digits_.fraction.isEmpty())
            return;
        writeSign(); // "-,5" of the pattern ".0"
        result_ += decimalSeparator_;
    }

    void writeDigits(const QString &text)
    {
        if (text.isEmpty())
            return;
        writeSign();
        result_ += text;
    }

    // The minus sign goes before whatever is written first of the number.
    void writeSign()
    {
        if (signWritten_)
            return;
        result_ += QLatin1Char('-');
        signWritten_ = true;
    }

    const DecimalDigits &digits_;
    const PatternPlaces &places_;
    bool signWritten_;
    bool integerWritten_;
    QChar decimalSeparator_;
    qsizetype integerIndex_ = 0;
    qsizetype fractionIndex_ = 0;
    QString result_;
};
} // namespace

QString numberCharacters(const QString &text, const platform::RegionalFormats &formats)
{
    QString result;
    for (const QChar c : text) {
        if (c.unicode() >= 256)
            continue;
        if (isAsciiDigit(c) || c == QLatin1Char('+') || c == QLatin1Char('-') ||
            c == formats.decimalSeparator || c == formats.dateSeparator)
            result += c;
    }
    return result.isEmpty() ? QStringLiteral("0") : result;
}

std::optional<qint32> readInteger(const QString &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    const qint64 limit = negative ? qint64(std::numeric_limits<qint32>::max()) + 1
                                  : std::numeric_limits<qint32>::max();
    for (; i < text.size(); ++i) {
        if (!isAsciiDigit(text[i]))
            return std::nullopt;
        value = value * 10 + (text[i].unicode() - '0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<qint32>(negative ? -value : value);
}

std::optional<double> readDecimal(const QString &text, QChar decimalSeparator)
{
    QString plain; // in the C locale's form for the conversion
    plain.reserve(text.size());
    qsizetype i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        plain += text[i++];
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isAsciiDigit(c)) {
            digits = true;
            plain += c;
        } else if (c == decimalSeparator && !point) {
            point = true;
            plain += QLatin1Char('.');
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatGeneral(double value, QChar decimalSeparator)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (value == 0)
        return QStringLiteral("0");
    // 15 significant digits as d.dddddddddddddde±x, then placed without an exponent: an
    // exponent would not survive numberCharacters when the text is read back.
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype e = scientific.indexOf(QLatin1Char('e'));
    QString digits = scientific.left(e);
    digits.remove(QLatin1Char('.'));
    const int exponent = scientific.mid(e + 1).toInt();
    const qsizetype integerDigits = exponent + 1;
    QString integer;
    QString fraction;
    if (integerDigits <= 0) {
        integer = QStringLiteral("0");
        fraction = QString(-integerDigits, QLatin1Char('0')) + digits;
    } else if (integerDigits >= digits.size()) {
        integer = digits + QString(integerDigits - digits.size(), QLatin1Char('0'));
    } else {
        integer = digits.left(integerDigits);
        fraction = digits.mid(integerDigits);
    }
    while (fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    QString result = value < 0 ? QStringLiteral("-") : QString();
    result += integer;
    if (!fraction.isEmpty())
        result += decimalSeparator + fraction;
    return result;
}

QString formatNumber(double value, const QString &pattern, QChar decimalSeparator,
                     const std::optional<QString> &currencySymbol)
{
    if (!std::isfinite(value))
        return formatGeneral(value, decimalSeparator);
    const std::vector<PatternPiece> pieces = parsePattern(pattern, currencySymbol);
    const PatternPlaces places = countPlaces(pieces);
    if (places.integer == 0 && places.decimals == 0)
        return formatGeneral(value, decimalSeparator);

    DecimalDigits digits = exactDigits(std::fabs(value));
    roundDigits(digits, places.decimals);
    const bool negative = value < 0 && !(allZero(digits.integer) && allZero(digits.fraction));
    fitDigits(digits, places);
    PatternWriter writer(digits, places, negative, decimalSeparator);
    for (const PatternPiece &piece : pieces)
        writer.write(piece);
    return writer.result();
}

QString defaultEditMask(ValueType type)
{
    switch (type) {
    case ValueType::Integer:
        return QStringLiteral("0");
    case ValueType::Decimal:
        return QStringLiteral("0.00");
    case ValueType::Currency:
        return QStringLiteral("0.00 %s");
    case ValueType::Text:
    case ValueType::Date:
        break;
    }
    return {};
}

QString conversionErrorText(ValueType type, const platform::RegionalFormats &formats)
{
    switch (type) {
    case ValueType::Integer:
        return QStringLiteral("Doplňte celé číslo!");
    case ValueType::Decimal:
        return QStringLiteral("Doplňte desatinné číslo!");
    case ValueType::Currency:
        return QStringLiteral("Doplňte sumu v %1!").arg(formats.currencySymbol);
    case ValueType::Date:
        return QStringLiteral("Doplňte dátum v tvare \"%1\"!").arg(formats.shortDateFormat);
    case ValueType::Text:
        break;
    }
    return {};
}

namespace {
// The normalised text, or nothing when text is not of type.
std::optional<QString> normalisedText(const QString &text, ValueType type, const QString &mask,
                                      const platform::RegionalFormats &formats, QDate today)
{
    switch (type) {
    case ValueType::Text:
        return text;
    case ValueType::Integer: {
        const std::optional<qint32> value = readInteger(numberCharacters(text, formats));
        if (!value)
            return std::nullopt;
        return mask.isEmpty() ? QString::number(*value)
                              : formatNumber(*value, mask, formats.decimalSeparator);
    }
    case ValueType::Decimal:
    case ValueType::Currency: {
        const std::optional<double> value =
            readDecimal(numberCharacters(text, formats), formats.decimalSeparator);
        if (!value)
            return std::nullopt;
        const std::optional<QString> symbol = type == ValueType::Currency
                                                  ? std::optional<QString>(formats.currencySymbol)
                                                  : std::nullopt;
        return formatNumber(*value, mask, formats.decimalSeparator, symbol);
    }
    case ValueType::Date:
        return completeDate(text, formats, today);
    }
    return std::nullopt;
}
} // namespace

EditText normaliseEditText(const QString &text, ValueType type, const QString &mask,
                           const platform::RegionalFormats &formats, QDate today)
{
    if (const std::optional<QString> normalised = normalisedText(text, type, mask, formats, today))
        return EditText{*normalised, true, QString()};
    return EditText{text, false, conversionErrorText(type, formats)};
}

} // namespace menu::widgets
