// menu-doctor icon FILE PNG: the picture a button would show for a program.
#include "platform/Executables.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {

int run(const QStringList &args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("icon"));
    const QImage icon = system().icons->largeIcon(args.at(0));
    if (icon.isNull()) {
        err(QStringLiteral("no usable icon in %1\n").arg(args.at(0)));
        return 1;
    }
    if (!icon.save(args.at(1), "PNG")) {
        err(QStringLiteral("cannot write %1\n").arg(args.at(1)));
        return 1;
    }
    out(QStringLiteral("%1x%2\n").arg(icon.width()).arg(icon.height()));
    return 0;
}

const Registration registration{
    {QStringLiteral("icon"),
     QStringLiteral("icon FILE PNG   write the first icon of a program or .ico file, 32x32 with "
                    "alpha, as PNG, and print WxH (exit 1 when it has none)"),
     run}};

} // namespace

} // namespace menu::doctor
