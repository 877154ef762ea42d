#include "platform/posix/XdgDesktopFolders.h"

#include <QFile>
#include <QList>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace menu::platform {

namespace {

const QByteArray kDesktopKey = QByteArrayLiteral("XDG_DESKTOP_DIR");
const QByteArray kHome = QByteArrayLiteral("$HOME");

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

QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// home followed by rest ("" or "/..."), without a doubled separator when home is the root.
QString belowHome(const QString &home, const QString &rest)
{
    const QString base = home == QLatin1String("/") ? QString() : home;
    const QString joined = withoutTrailingSlashes(base + rest);
    return joined.isEmpty() ? QStringLiteral("/") : joined;
}

qsizetype skipBlanks(const QByteArray &line, qsizetype at)
{
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    return at;
}

// The value of one XDG_DESKTOP_DIR="..." line, or nothing for any other line.
std::optional<QString> desktopOfLine(const QByteArray &line, const QString &home)
{
    qsizetype at = skipBlanks(line, 0);
    if (!line.mid(at).startsWith(kDesktopKey))
        return std::nullopt;
    at = skipBlanks(line, at + kDesktopKey.size());
    if (at >= line.size() || line[at] != '=')
        return std::nullopt;
    at = skipBlanks(line, at + 1);
    if (at >= line.size() || line[at] != '"')
        return std::nullopt;
    ++at;

    // The file is read by shells too: a backslash takes the next character literally, and
    // the value ends at the first unescaped quote.
    QByteArray value;
    bool closed = false;
    for (; at < line.size(); ++at) {
        const char c = line[at];
        if (c == '\\' && at + 1 < line.size()) {
            value.append(line[++at]);
        } else if (c == '"') {
            closed = true;
            break;
        } else {
            value.append(c);
        }
    }
    if (!closed)
        return std::nullopt;

    // Only a path below $HOME or an absolute path is allowed.
    if (value.startsWith(kHome)) {
        const QByteArray rest = value.mid(kHome.size());
        if (!rest.isEmpty() && !rest.startsWith('/'))
            return std::nullopt;
        if (home.isEmpty())
            return std::nullopt;
        return belowHome(home, QFile::decodeName(rest));
    }
    if (!value.startsWith('/'))
        return std::nullopt;
    return withoutTrailingSlashes(QFile::decodeName(value));
}

} // namespace

std::optional<QString> xdgDesktopDir(const QByteArray &userDirs, const QString &home)
{
    std::optional<QString> desktop;
    const QList<QByteArray> lines = userDirs.split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (std::optional<QString> found = desktopOfLine(line, home))
            desktop = found; // as in a shell, the last assignment wins
    }
    return desktop;
}

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

QString XdgDesktopFolders::DesktopFolderGet(const QString &kind) const
{
    if (kind != QLatin1String("A"))
        return {}; // no desktop is shared by all users here

    // A relative configuration directory is invalid by the XDG rules and is ignored.
    QString config = configHome_;
    if (!config.startsWith(QLatin1Char('/')))
        config = home_.isEmpty() ? QString() : home_ + QStringLiteral("/.config");
    if (!config.isEmpty()) {
        QFile file(withoutTrailingSlashes(config) + QStringLiteral("/user-dirs.dirs"));
        if (file.open(QIODevice::ReadOnly)) {
            if (std::optional<QString> desktop = xdgDesktopDir(file.readAll(), home_))
                return *desktop;
        }
    }
    if (home_.isEmpty())
        return {};
    return belowHome(home_, QStringLiteral("/Desktop"));
}

std::unique_ptr<DesktopFolders> makeSystemDesktopFolders()
{
    return std::make_unique<XdgDesktopFolders>();
}

} // namespace menu::platform
