// menu-doctor edit-value: what a typed field makes of a text, with this user's settings.
#include "widgets/EditValue.h"
#include "platform/Regional.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {
const QString kName = QStringLiteral("edit-value");

int run(const QStringList &args)
{
    if (args.size() != 3)
        return usage(kName);
    static const QStringList types = {QStringLiteral("string"), QStringLiteral("integer"),
                                      QStringLiteral("float"), QStringLiteral("currency"),
                                      QStringLiteral("date")};
    const qsizetype type = types.indexOf(args[0]);
    if (type < 0)
        return usage(kName);
    const platform::RegionalSettings &settings = *system().regional;
    const widgets::EditText result =
        widgets::normaliseEditText(args[2], static_cast<widgets::TEditType>(type), args[1],
                                   settings.formats(), settings.today());
    out(result.text + QLatin1Char('\n'));
    if (!result.valid) {
        err(result.errMessage + QLatin1Char('\n'));
        return 1;
    }
    return 0;
}

const Registration registration{
    {kName, QStringLiteral("edit-value string|integer|float|currency|date MASK TEXT"), run}};
} // namespace

} // namespace menu::doctor
