#include "formats/UserDirs.h"

#include <QList>

namespace menu::formats {

namespace {

const QByteArray kDesktopKey = QByteArrayLiteral("XDG_DESKTOP_DIR");
const QByteArray kHome = QByteArrayLiteral("$HOME");

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
        return belowHome(home, QString::fromUtf8(rest));
    }
    if (!value.startsWith('/'))
        return std::nullopt;
    return withoutTrailingSlashes(QString::fromUtf8(value));
}

} // namespace

QString withoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString belowHome(const QString &home, const QString &rest)
{
    const QString base = home == QLatin1String("/") ? QString() : home;
    const QString joined = withoutTrailingSlashes(base + rest);
    return joined.isEmpty() ? QStringLiteral("/") : joined;
}

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

} // namespace menu::formats
