// menu-doctor regional: the separators and formats the launcher's fields use for this user.
#include "widgets/DateUtil.h"
#include "platform/Regional.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {
int run(const QStringList &args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("regional"));
    const platform::RegionalSettings &settings = *system().regional;
    const platform::RegionalFormats formats = settings.formats();
    out(QStringLiteral("decimal separator: %1\n").arg(formats.decimalSeparator));
    out(QStringLiteral("date separator: %1\n").arg(formats.dateSeparator));
    out(QStringLiteral("short date format: %1\n").arg(formats.shortDateFormat));
    out(QStringLiteral("long time format: %1\n").arg(formats.longTimeFormat));
    out(QStringLiteral("currency symbol: %1\n").arg(formats.currencySymbol));
    out(QStringLiteral("today: %1\n")
            .arg(widgets::formatDate(settings.today(), formats.shortDateFormat)));
    return 0;
}

const Registration registration{{QStringLiteral("regional"), QStringLiteral("regional"), run}};
} // namespace

} // namespace menu::doctor
