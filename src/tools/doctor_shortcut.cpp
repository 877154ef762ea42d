// menu-doctor shortcut: writes a shell link the way the launcher writes its desktop shortcut.
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
    const QString linkPath = QFileInfo(args[0]).absoluteFilePath();
    QString workingDir = args[2];
    // The launcher keeps only the directory part up to the last separator; a directory
    // named here without its trailing separator is meant whole. A Windows-style path (for a
    // link to be used there) gets a backslash.
    if (!workingDir.endsWith(QLatin1Char('/')) && !workingDir.endsWith(QLatin1Char('\\'))) {
        const bool windowsStyle = workingDir.contains(QLatin1Char('\\'));
        workingDir += windowsStyle ? QLatin1Char('\\') : QLatin1Char('/');
    }

    const QFileInfo link(linkPath);
    const platform::Shortcut shortcut{link.completeBaseName(), args[1],
                                      core::workingDirOf(workingDir)};
    const Status written = system().desktops->createShortcut(link.absolutePath(), shortcut);
    if (!written.ok()) {
        err(written.failure().path + QStringLiteral(": ") + core::texts::reason(written.failure()) +
            QLatin1Char('\n'));
        return 1;
    }
    out(linkPath + QLatin1Char('\n'));
    return 0;
}

const Registration registration{{
    QStringLiteral("shortcut"),
    QStringLiteral("shortcut LINKPATH TARGET WORKDIR"),
    runShortcut,
}};

} // namespace
} // namespace menu::doctor
