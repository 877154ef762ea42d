// menu-doctor ini: reads and writes profile strings exactly as the launcher does with menu.ini.
#include "core/MenuSettings.h"
#include "platform/ProfileFiles.h"
#include "tools/Doctor.h"

#include <QFileInfo>

namespace menu::doctor {

namespace {

int runIni(const QStringList &args)
{
    platform::PosixProfileStore store;
    if (args.size() == 4 && args[0] == QLatin1String("get")) {
        out(store.read(args[1], args[2], args[3]).value_or(QString()) + QLatin1Char('\n'));
        return 0;
    }
    if (args.size() == 5 && args[0] == QLatin1String("set")) {
        if (store.write(args[1], args[2], args[3], args[4]))
            return 0;
        const core::SettingsWriteError error(QFileInfo(args[1]).absoluteFilePath());
        err(error.text() + QLatin1Char('\n'));
        if (!store.lastError().isEmpty())
            err(QStringLiteral("  (") + store.lastError() + QStringLiteral(")\n"));
        return 1;
    }
    return usage(QStringLiteral("ini"));
}

const Registration registration{{QStringLiteral("ini"),
                                 QStringLiteral("ini get FILE SECTION KEY\n"
                                                "ini set FILE SECTION KEY VALUE"),
                                 runIni}};

} // namespace

} // namespace menu::doctor
