#include "core/Launch.h"

#include "core/Texts.h"
#include "platform/Files.h"

namespace menu::core {

std::optional<Notice> launch(platform::Shell &shell, const QString &name, const QString &path,
                             platform::OwnerWindow owner)
{
    if (path.isEmpty())
        return Notice{BoxKind::Error, texts::launchUndefined(name)};
    if (!platform::isFile(path))
        return Notice{BoxKind::Information, texts::launchMissing(name, path)};
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString dir = slash <= 0 ? QStringLiteral("/") : path.left(slash);
    const QString failure = texts::launchFailed(name, shell.open(path, dir, owner));
    if (failure.isEmpty())
        return std::nullopt;
    return Notice{BoxKind::Error, failure};
}

std::optional<Notice> startInstaller(platform::Shell &shell, const QString &installer,
                                     const QStringList &arguments, platform::OwnerWindow owner)
{
    const qsizetype slash = installer.lastIndexOf(QLatin1Char('/'));
    const QString dir = slash <= 0 ? QStringLiteral("/") : installer.left(slash);
    const platform::ShellResult result = shell.start(installer, arguments, dir, owner);
    if (result.started())
        return std::nullopt;
    return Notice{BoxKind::Error, texts::installerNotStarted(result)};
}

} // namespace menu::core
