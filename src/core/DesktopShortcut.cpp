#include "core/DesktopShortcut.h"

#include "core/PackagePaths.h"
#include "core/Texts.h"
#include "platform/Files.h"

#include <algorithm>

namespace menu::core {

namespace {

const QString kShortcutName = QStringLiteral("ORVAN");

// The shortcut's file already in folder, or nothing.
std::optional<QString> existingShortcut(const platform::DesktopFolders &desktops,
                                        const QString &folder)
{
    if (folder.isEmpty())
        return std::nullopt;
    for (const QString &file : desktops.shortcutFiles(folder, kShortcutName)) {
        if (platform::isFile(file))
            return file;
    }
    return std::nullopt;
}

// Writes the shortcut into folder and tells whether it is there now: the outcome is judged by
// the file, not by the writer's answer.
bool createIn(const platform::DesktopFolders &desktops, const QString &folder,
              const QString &drivePrefix)
{
    if (folder.isEmpty())
        return false;
    const platform::Shortcut shortcut{kShortcutName, launcherTarget(drivePrefix),
                                      workingDirOf(launcherWorkingDir(drivePrefix))};
    (void)desktops.createShortcut(folder, shortcut);
    return existingShortcut(desktops, folder).has_value();
}

} // namespace

QString launcherTarget(const QString &drivePrefix)
{
#ifdef Q_OS_WIN
    return drivePrefix + QStringLiteral("\\ORVAN\\MENU\\menu.exe");
#else
    // Directories copied from Windows keep whatever case they had.
    return packagePath(drivePrefix, QStringLiteral("\\ORVAN\\MENU\\menu"));
#endif
}

QString launcherWorkingDir(const QString &drivePrefix)
{
#ifdef Q_OS_WIN
    return drivePrefix + QStringLiteral("\\ORVAN\\MENU\\");
#else
    return packagePath(drivePrefix, QStringLiteral("\\ORVAN\\MENU\\"));
#endif
}

QString workingDirOf(const QString &dir)
{
    const qsizetype cut =
        std::max(dir.lastIndexOf(QLatin1Char('/')), dir.lastIndexOf(QLatin1Char('\\')));
    return dir.left(cut + 1);
}

std::optional<Notice> createDesktopShortcut(const platform::DesktopFolders &desktops,
                                            const QString &drivePrefix,
                                            const std::function<bool(const QString &)> &confirm)
{
    using platform::DesktopKind;
    const QString shared = desktops.folder(DesktopKind::AllUsers);
    const QString own = desktops.folder(DesktopKind::CurrentUser);
    for (const QString &folder : {shared, own}) {
        if (const std::optional<QString> file = existingShortcut(desktops, folder))
            return Notice{BoxKind::Information, texts::shortcutExists(*file)};
    }
    if (!confirm(texts::shortcutQuestion()))
        return std::nullopt;
    if (createIn(desktops, shared, drivePrefix))
        return Notice{BoxKind::Information, texts::shortcutCreatedForAllUsers()};
    if (createIn(desktops, own, drivePrefix))
        return Notice{BoxKind::Information, texts::shortcutCreatedForCurrentUser()};
    return Notice{BoxKind::Error, texts::shortcutNotCreated()};
}

} // namespace menu::core
