#include "gui/DesktopShortcut.h"

#include "core/PackagePaths.h"
#include "formats/ShellLink.h"

#include <QDir>

namespace menu::gui {

namespace {

const QString kLinkName = QStringLiteral("ORVAN.lnk");

// ORVAN.lnk in the desktop folder; empty when there is no folder.
QString linkIn(const QString &folder)
{
    if (folder.isEmpty())
        return {};
    return folder.endsWith(QDir::separator()) ? folder + kLinkName
                                              : folder + QDir::separator() + kLinkName;
}

bool linkExists(const QString &link)
{
    return !link.isEmpty() && core::fileExists(link);
}

// Writes the shortcut at link and tells whether a file is there now; the outcome is judged
// by the file, not by the writer's answer.
bool createAt(const QString &link, const QString &drivePrefix)
{
    if (link.isEmpty())
        return false;
    core::ShortcutCreate(launcherWorkingDir(drivePrefix), launcherTarget(drivePrefix), link);
    return core::fileExists(link);
}

} // namespace

QString launcherTarget(const QString &drivePrefix)
{
#ifdef Q_OS_WIN
    return drivePrefix + QStringLiteral("\\ORVAN\\MENU\\menu.exe");
#else
    // Directories copied from Windows keep whatever case they had.
    return core::packagePath(drivePrefix, QStringLiteral("\\ORVAN\\MENU\\menu"));
#endif
}

QString launcherWorkingDir(const QString &drivePrefix)
{
#ifdef Q_OS_WIN
    return drivePrefix + QStringLiteral("\\ORVAN\\MENU\\");
#else
    return core::packagePath(drivePrefix, QStringLiteral("\\ORVAN\\MENU\\"));
#endif
}

void MenuDesktopRun(QWidget *owner, platform::MessageBoxes &boxes,
                    const platform::DesktopFolders &desktops, const QString &drivePrefix)
{
    using platform::BoxKind;
    const QString shared = linkIn(desktops.DesktopFolderGet(QStringLiteral("C")));
    const QString own = linkIn(desktops.DesktopFolderGet(QStringLiteral("A")));

    for (const QString &link : {shared, own}) {
        if (linkExists(link)) {
            boxes.show(owner, BoxKind::Information,
                       QStringLiteral("Zástupca ORVAN už existuje na pracovnej ploche !\r(") +
                           link + QLatin1Char(')'));
            return;
        }
    }

    if (boxes.show(owner, BoxKind::Confirmation,
                   QStringLiteral("Vytvoriť zástupcu ORVAN na pracovnej ploche ?")) !=
        platform::BoxAnswer::Yes)
        return;

    if (createAt(shared, drivePrefix)) {
        boxes.show(owner, BoxKind::Information,
                   QStringLiteral("Úspešne vytvorený zástupca ORVAN na pracovnej ploche pre "
                                  "všetkých používateľov !"));
        return;
    }
    if (createAt(own, drivePrefix)) {
        boxes.show(owner, BoxKind::Information,
                   QStringLiteral("Úspešne vytvorený zástupca ORVAN na pracovnej ploche pre "
                                  "aktuálneho používateľa !"));
        return;
    }
    boxes.show(owner, BoxKind::Error,
               QStringLiteral("Zástupcu ORVAN sa nepodarilo vytvoriť na pracovnej ploche!"));
}

} // namespace menu::gui
