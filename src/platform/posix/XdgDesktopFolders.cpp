#include "platform/posix/XdgDesktopFolders.h"

#include "formats/ShellLink.h"
#include "formats/UserDirs.h"
#include "platform/Files.h"

#include <QFileInfo>

#include <pwd.h>
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

constexpr quint32 kAttributeReadOnly = 0x01;
constexpr quint32 kAttributeDirectory = 0x10;
constexpr quint32 kAttributeArchive = 0x20;

// The attributes, size and times of the target, as a link records them; nothing when it is
// missing.
void recordTarget(formats::ShellLinkData &link)
{
    const QFileInfo info(link.target);
    if (!info.exists())
        return;
    quint32 attributes = info.isDir() ? kAttributeDirectory : kAttributeArchive;
    if (!info.isWritable())
        attributes |= kAttributeReadOnly;
    link.fileAttributes = attributes;
    link.fileSize = info.isDir() ? 0 : static_cast<quint32>(info.size() & 0xFFFFFFFF);
    link.created = info.birthTime().isValid() ? info.birthTime() : info.lastModified();
    link.accessed = info.lastRead();
    link.written = info.lastModified();
}

} // namespace

XdgDesktopFolders::XdgDesktopFolders()
    : XdgDesktopFolders(qEnvironmentVariable("HOME"), qEnvironmentVariable("XDG_CONFIG_HOME"))
{
    if (home_.isEmpty())
        home_ = withoutTrailingSlashes(userDatabaseHome());
}

XdgDesktopFolders::XdgDesktopFolders(QString home, QString configHome)
    : home_(withoutTrailingSlashes(std::move(home))), configHome_(std::move(configHome))
{
}

QString XdgDesktopFolders::folder(DesktopKind kind) const
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

QStringList XdgDesktopFolders::shortcutFiles(const QString &folder, const QString &name) const
{
    return {folder + u'/' + name + QStringLiteral(".lnk")};
}

Status XdgDesktopFolders::createShortcut(const QString &folder, const Shortcut &shortcut) const
{
    formats::ShellLinkData link;
    link.target = shortcut.target;
    link.workingDir = shortcut.workingDir;
    link.iconLocation = shortcut.target;
    recordTarget(link);
    const QString path = shortcutFiles(folder, shortcut.name).constFirst();
    Result<QByteArray> bytes = formats::shellLinkEncode(link);
    if (!bytes.ok())
        return Failure{bytes.failure().code, path, bytes.failure().detail};
    return writeNewFile(path, *bytes);
}

} // namespace menu::platform
