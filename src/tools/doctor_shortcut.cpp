// menu-doctor shortcut: writes a shell link the way the launcher writes its desktop shortcut.
#include "core/ShellLink.h"
#include "tools/Doctor.h"

#include <QDir>
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
    // named without its trailing separator is meant whole.
    if (!workingDir.endsWith(QDir::separator()))
        workingDir += QDir::separator();

    const core::ShellLinkResult result = core::ShortcutCreate(workingDir, args[1], linkPath);
    if (!result.ok()) {
        err(result.error + QLatin1Char('\n'));
        return 1;
    }
    out(linkPath + QLatin1Char('\n'));
    return 0;
}

const Registration registration{{
    QStringLiteral("shortcut"),
    QStringLiteral("shortcut LINKPATH TARGET WORKDIR   write a shell link (never replaces a file)"),
    runShortcut,
}};

} // namespace
} // namespace menu::doctor
