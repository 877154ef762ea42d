// Typed texts of edit fields: date completion, number reading and pattern formatting must take
// any text (and any pattern) without a fault, and what they produce must read back the same.
#include "widgets/DateUtil.h"
#include "widgets/EditValue.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace menu::widgets;

namespace {
void check(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The first line is a format pattern, the rest the typed text.
    const QString all =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype newline = all.indexOf(QLatin1Char('\n'));
    const QString pattern = newline < 0 ? QString() : all.left(newline).left(200);
    const QString text = newline < 0 ? all : all.mid(newline + 1);

    const auto sk = menu::platform::slovakFormats();
    const QDate today(2024, 3, 15);

    if (const auto date = completeDate(text, sk, today))
        check(completeDate(*date, sk, today) == date);
    (void)readTime(text, sk);
    (void)datePart(text, 2, sk.dateSeparator);

    for (const ValueType type : {ValueType::Integer, ValueType::Decimal, ValueType::Currency}) {
        const EditText usual = normaliseEditText(text, type, defaultEditMask(type), sk, today);
        if (usual.valid) {
            const EditText again =
                normaliseEditText(usual.text, type, defaultEditMask(type), sk, today);
            check(again.valid && again.text == usual.text);
        }
        (void)normaliseEditText(text, type, pattern, sk, today);
    }

    if (const auto value = readDecimal(numberCharacters(text, sk), sk.decimalSeparator)) {
        const QString general = formatGeneral(*value, sk.decimalSeparator);
        const auto back = readDecimal(general, sk.decimalSeparator);
        check(back.has_value());
        (void)formatNumber(*value, pattern, sk.decimalSeparator, sk.currencySymbol);
    }
    return 0;
}
