// menu-doctor modules DIR: the menu the launcher would build from DIR/ORVAN.
#include "core/EntryTexts.h"
#include "core/MenuSettings.h"
#include "core/ModuleCodes.h"
#include "core/PackagePaths.h"
#include "core/VersionInfo.h"
#include "platform/ProfileFiles.h"
#include "tools/Doctor.h"

namespace menu::doctor {
namespace {

QString existence(const QString &path)
{
    return core::fileExists(path) ? QStringLiteral("exists") : QStringLiteral("missing");
}

// The third caption line of the button, read as the launcher reads it: the Team Viewer entry
// by its product version, every other program by its file version.
QString shownVersionLine(const QString &key, const QString &path)
{
    const QChar cr(13);
    if (!core::fileExists(path))
        return core::missingButtonCaption(QString(), QString()).section(cr, 2, 2);
    QString version;
    const bool teamViewer = key.compare(core::teamViewerKey(), Qt::CaseInsensitive) == 0;
    const core::VersionResult result =
        teamViewer ? core::ReadProductVersion(path, version) : core::ReadFileVersion(path, version);
    return core::versionLine(static_cast<unsigned>(result), version);
}

int listModules(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("modules"));
    QString drive = args[0];
    while (drive.size() > 1 && drive.endsWith(QLatin1Char('/')))
        drive.chop(1);
    platform::PosixProfileStore store;
    const core::ModuleFiles modules(store, drive);
    const QChar tab(9);
    int n = 0;
    for (const char *code : core::ModuleCodes) {
        const QString module = QLatin1String(code);
        for (const core::ModuleEntry &button : modules.buttons(module)) {
            ++n;
            const QString key = module + button.section.mid(4);
            out(QStringLiteral("button") + tab + QString::number(n) + tab + key + tab +
                button.name + tab + button.extra + tab + button.target + tab +
                existence(button.target) + tab + shownVersionLine(key, button.target) +
                QLatin1Char('\n'));
            for (const core::ModuleEntry &entry :
                 modules.submenuEntries(module, button.section.mid(4).toInt())) {
                out(QStringLiteral("entry") + tab + module + entry.section.mid(4) + tab +
                    entry.name + tab + entry.target + tab + existence(entry.target) +
                    QLatin1Char('\n'));
            }
        }
    }
    return 0;
}

const Registration registration{
    {QStringLiteral("modules"),
     QStringLiteral("modules DIR    (DIR holds the package directory ORVAN)"), listModules}};

} // namespace
} // namespace menu::doctor
