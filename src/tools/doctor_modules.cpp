// menu-doctor modules DIR: the menu the launcher would build from DIR/ORVAN.
#include "core/MenuModel.h"
#include "tools/Doctor.h"

#include <QDir>

namespace menu::doctor {

namespace {

QString existence(bool exists)
{
    return exists ? QStringLiteral("exists") : QStringLiteral("missing");
}

int listModules(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("modules"));
    // "D:\" on Windows: the drive is "D:", as the launcher's own path gives it.
    QString drive = QDir::fromNativeSeparators(args[0]);
    while (drive.size() > 1 && drive.endsWith(QLatin1Char('/')))
        drive.chop(1);
    const core::MenuModel model(*system().profiles, *system().versions, drive);
    const QChar tab(9);
    int n = 0;
    for (const core::MenuButton &button : model.read()) {
        // The third caption line, as the button shows it.
        const QString versionLine = button.caption().section(QChar(13), 2, 2);
        out(QStringLiteral("button") + tab + QString::number(++n) + tab + button.key.text() + tab +
            button.name + tab + button.second + tab + button.target + tab +
            existence(button.exists) + tab + versionLine + QLatin1Char('\n'));
        for (const core::MenuEntry &entry : button.entries) {
            out(QStringLiteral("entry") + tab + entry.key.text() + tab + entry.name + tab +
                entry.target + tab + existence(entry.exists) + QLatin1Char('\n'));
        }
    }
    return 0;
}

const Registration registration{
    {QStringLiteral("modules"),
     QStringLiteral("modules DIR    (DIR holds the package directory ORVAN)"), listModules}};

} // namespace

} // namespace menu::doctor
