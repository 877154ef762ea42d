// menu-doctor shortcut: writes a desktop shortcut the way the launcher writes it on this system
// (a desktop entry on a free desktop), named after the given path without its extension.
#include "core/DesktopShortcut.h"
#include "core/Texts.h"
#include "tools/Doctor.h"

#include <QFileInfo>

namespace menu::doctor {
namespace {

int runShortcut(const QStringList &args)
{
    if (args.size() != 3)
        return usage(QStringLiteral("shortcut"));
    const QFileInfo named(args[0]);
    QString workingDir = args[2];
    // The launcher keeps only the directory part up to the last separator; a directory
    // named here without its trailing separator is meant whole.
    if (!workingDir.endsWith(QLatin1Char('/')) && !workingDir.endsWith(QLatin1Char('\\'))) {
        const bool windowsStyle = workingDir.contains(QLatin1Char('\\'));
        workingDir += windowsStyle ? QLatin1Char('\\') : QLatin1Char('/');
    }

    const QString folder = named.absolutePath();
    const platform::Shortcut shortcut{named.completeBaseName(), args[1],
                                      core::workingDirOf(workingDir)};
    const platform::DesktopFolders &desktops = *system().desktops;
    const QString written = desktops.shortcutFiles(folder, shortcut.name).constFirst();
    const Status status = desktops.createShortcut(folder, shortcut);
    if (!status.ok()) {
        err(written + QStringLiteral(": ") + core::texts::reason(status.failure()) +
            QLatin1Char('\n'));
        return 1;
    }
    out(written + QLatin1Char('\n'));
    return 0;
}

const Registration registration{{
    QStringLiteral("shortcut"),
    QStringLiteral("shortcut PATH TARGET WORKDIR   the desktop shortcut this system writes "
                   "(PATH's extension is the system's)"),
    runShortcut,
}};

} // namespace
} // namespace menu::doctor
