// menu-doctor edit-value: what a typed field makes of a text, with this user's settings.
#include "widgets/EditValue.h"
#include "platform/Regional.h"
#include "tools/Doctor.h"

#include <optional>
#include <utility>

namespace menu::doctor {

namespace {
const QString kName = QStringLiteral("edit-value");

// The value type a word of the command line names.
std::optional<widgets::ValueType> valueTypeNamed(const QString &word)
{
    static const std::pair<const char *, widgets::ValueType> types[] = {
        {"string", widgets::ValueType::Text},
        {"integer", widgets::ValueType::Integer},
        {"float", widgets::ValueType::Decimal},
        {"currency", widgets::ValueType::Currency},
        {"date", widgets::ValueType::Date}};
    for (const auto &[name, type] : types) {
        if (word == QLatin1String(name))
            return type;
    }
    return std::nullopt;
}

int run(const QStringList &args)
{
    if (args.size() != 3)
        return usage(kName);
    const std::optional<widgets::ValueType> type = valueTypeNamed(args[0]);
    if (!type)
        return usage(kName);
    const platform::RegionalSettings &settings = *system().regional;
    const widgets::EditText result =
        widgets::normaliseEditText(args[2], *type, args[1], settings.formats(), settings.today());
    out(result.text + QLatin1Char('\n'));
    if (!result.valid) {
        err(result.errorMessage + QLatin1Char('\n'));
        return 1;
    }
    return 0;
}

const Registration registration{
    {kName, QStringLiteral("edit-value string|integer|float|currency|date MASK TEXT"), run}};
} // namespace

} // namespace menu::doctor
