// menu-doctor version FILE TABLE KEY: one value of a program's version information, read as
// the launcher reads it, with the launcher's result code.
#include "core/VersionInfo.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {

int run(const QStringList &args)
{
    if (args.size() != 3)
        return usage(QStringLiteral("version"));
    const core::VersionText read =
        core::readVersionValue(*system().versions, args.at(0), args.at(1), args.at(2));
    // Support staff compare the code with the launcher's; it is no failure of the command.
    out(QString::number(static_cast<unsigned>(read.result)) + QChar(9) + read.text +
        QLatin1Char('\n'));
    return 0;
}

const Registration registration{
    {QStringLiteral("version"),
     QStringLiteral("version FILE TABLE KEY   one version value as result<TAB>text (0 found, "
                    "1 no such table or key, 2 no version information, 3 no file); for example "
                    "041B04E2 FileVersion"),
     run}};

} // namespace

} // namespace menu::doctor
