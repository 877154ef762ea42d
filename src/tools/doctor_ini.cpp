// menu-doctor ini: reads and writes profile strings exactly as the launcher does with menu.ini.
#include "formats/MessageLines.h"
#include "core/Texts.h"
#include "tools/Doctor.h"

#include <QFileInfo>

namespace menu::doctor {

namespace {

int runIni(const QStringList &args)
{
    platform::ProfileStore &store = *system().profiles;
    if (args.size() == 4 && args[0] == QLatin1String("get")) {
        out(store.read(args[1], args[2], args[3]).value_or(QString()) + QLatin1Char('\n'));
        return 0;
    }
    if (args.size() == 5 && args[0] == QLatin1String("set")) {
        Status written = store.write(args[1], args[2], args[3], args[4]);
        if (written.ok())
            return 0;
        Failure failure = written.failure();
        failure.path = QFileInfo(args[1]).absoluteFilePath();
        err(formats::messageLines(core::texts::settingsNotWritten(failure)) + QLatin1Char('\n'));
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
