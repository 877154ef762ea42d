// The value texts of typed edit fields, without any widget: which characters a number may hold,
// reading whole and decimal numbers, writing them with a format pattern, and normalising a
// field's text for its value type.
#pragma once

#include "platform/Regional.h"

#include <QDate>
#include <QString>

#include <optional>

namespace menu::widgets {

// The value type of an edit field: free text, a whole number, a decimal number, an amount of
// money, a date.
enum class ValueType { Text, Integer, Decimal, Currency, Date };

// text reduced to the characters a typed number may hold: plus, minus, 0 to 9, the decimal
// separator and the date separator (characters from code 256 up are dropped too); "0" when
// nothing is left.
QString numberCharacters(const QString &text, const platform::RegionalFormats &formats);

// A decimal 32-bit integer: optional sign, then digits only. Nothing when out of range.
std::optional<qint32> readInteger(const QString &text);

// A decimal number with decimalSeparator: optional sign, digits, optionally the separator and
// more digits (at least one digit in all, no exponent). Nothing when it is not finite.
std::optional<double> readDecimal(const QString &text, QChar decimalSeparator);

// value written with a format pattern: 0 is a digit place that is always written, # one that is
// written only when needed, the first full stop marks the decimal separator (written as
// decimalSeparator and left out when no decimals follow), and the value is rounded half away
// from zero to the pattern's decimal places. Digits beyond the pattern's integer places go
// before its first one; a minus sign goes before the first digit. When currencySymbol is given,
// each "%s" of the pattern writes it; every other character is copied unchanged.
// A pattern without digit places writes the value in general form (formatGeneral).
// Examples with a comma: 12.5 and "0.00" give "12,50"; 12 and "0.00 %s" give "12,00 €".
QString formatNumber(double value, const QString &pattern, QChar decimalSeparator,
                     const std::optional<QString> &currencySymbol = std::nullopt);

// value with at most 15 significant digits, without exponent and without trailing zeros after
// the decimal separator: 0.1 gives "0,1", 1e20 "100000000000000000000".
QString formatGeneral(double value, QChar decimalSeparator);

// The pattern a form designer gives a new field of type: "0", "0.00", "0.00 %s", else empty.
QString defaultEditMask(ValueType type);

// The message shown when a text is not of type: "Doplňte celé číslo!", "Doplňte desatinné
// číslo!", "Doplňte sumu v €!", "Doplňte dátum v tvare "d.M.yyyy"!"; empty for Text.
QString conversionErrorText(ValueType type, const platform::RegionalFormats &formats);

// What a field shows after text was put into it, and whether it is valid.
struct EditText {
    QString text;         // normalised; the text as given when it is not valid
    bool valid = true;    // false when text is not of the field's type
    QString errorMessage; // conversionErrorText when not valid
};

// Normalises text for a field of type with the format pattern mask: Integer and Decimal write
// the number read from numberCharacters(text) with mask, Currency likewise with "%s" in mask
// standing for the currency symbol, Date completes the date (completeDate); Text keeps the
// text. An empty mask writes whole numbers plainly and other numbers in general form.
EditText normaliseEditText(const QString &text, ValueType type, const QString &mask,
                           const platform::RegionalFormats &formats, QDate today);

} // namespace menu::widgets
