#include "platform/posix/PosixDesktopFolders.h"

#include "formats/DesktopEntry.h"
#include "formats/UserDirs.h"
#include "platform/Files.h"
#include "platform/ProgramFiles.h"
#include "platform/posix/Gio.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace menu::platform {

using formats::belowHome;
using formats::withoutTrailingSlashes;

namespace {

QString userDatabaseHome()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
        return {};
    return QFile::decodeName(found->pw_dir);
}

// The icon theme's name for the shortcut of a program without an icon of its own.
const QString kThemedIcon = QStringLiteral("applications-office");

// The icon the desktop shows for a shortcut to target: the target's own icon as a PNG beside
// it (written once, never replaced), else the themed name.
QString shortcutIcon(const QString &target)
{
    const QImage image = FileIconReader().largeIcon(target);
    if (image.isNull())
        return kThemedIcon;
    const QString png = target + QStringLiteral(".png");
    if (isFile(png))
        return png;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.save(&buffer, "PNG") && writeNewFile(png, bytes).ok())
        return png;
    return kThemedIcon;
}

// Desktops start a desktop file on the desktop only when it is marked as trusted: GNOME, KDE
// and Xfce want its run bit, GNOME's desktop also gio's mark. A desktop without them simply
// does not ask.
void markTrusted(const QString &path)
{
    ::chmod(QFile::encodeName(path).constData(), 0755);
    (void)gioSays({QStringLiteral("set"), QStringLiteral("-t"), QStringLiteral("string"), path,
                   QStringLiteral("metadata::trusted"), QStringLiteral("true")});
}

} // namespace

PosixDesktopFolders::PosixDesktopFolders()
    : PosixDesktopFolders(qEnvironmentVariable("HOME"), qEnvironmentVariable("XDG_CONFIG_HOME"))
{
    if (home_.isEmpty())
        home_ = withoutTrailingSlashes(userDatabaseHome());
}

PosixDesktopFolders::PosixDesktopFolders(QString home, QString configHome)
    : home_(withoutTrailingSlashes(std::move(home))), configHome_(std::move(configHome))
{
}

QString PosixDesktopFolders::folder(DesktopKind kind) const
{
    if (kind == DesktopKind::AllUsers)
        return {}; // no desktop is shared by all users here

    // A relative configuration directory is invalid by the XDG rules and is ignored.
    QString config = configHome_;
    if (!config.startsWith(QLatin1Char('/')))
        config = home_.isEmpty() ? QString() : home_ + QStringLiteral("/.config");
    if (!config.isEmpty()) {
        const Result<QByteArray> userDirs = readWholeFile(
            withoutTrailingSlashes(config) + QStringLiteral("/user-dirs.dirs"), 64 * 1024);
        if (userDirs.ok()) {
            if (std::optional<QString> desktop = formats::xdgDesktopDir(*userDirs, home_))
                return *desktop;
        }
    }
    if (home_.isEmpty())
        return {};
    return belowHome(home_, QStringLiteral("/Desktop"));
}

QStringList PosixDesktopFolders::shortcutFiles(const QString &folder, const QString &name) const
{
    // A link written for Windows (or by an older launcher) counts as the shortcut too.
    return {folder + u'/' + name + QStringLiteral(".desktop"),
            folder + u'/' + name + QStringLiteral(".lnk")};
}

Status PosixDesktopFolders::createShortcut(const QString &folder, const Shortcut &shortcut) const
{
    const QString path = shortcutFiles(folder, shortcut.name).constFirst();
    Result<QByteArray> bytes = formats::desktopEntryEncode(
        {shortcut.name, shortcut.target, shortcut.workingDir, shortcutIcon(shortcut.target)});
    if (!bytes.ok())
        return Failure{bytes.failure().code, path, bytes.failure().detail};
    Status written = writeNewFile(path, *bytes);
    if (written.ok())
        markTrusted(path);
    return written;
}

} // namespace menu::platform
