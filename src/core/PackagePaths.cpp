#include "core/PackagePaths.h"

#include "platform/Files.h"

namespace menu::core {

namespace {
const QString kMenuDir = QStringLiteral("/ORVAN/MENU/");
} // namespace

QString programDirOf(const QString &executablePath)
{
    const int slash = executablePath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    const QString dir = executablePath.left(slash + 1);
    // A version folder MENU/versions/<name>/ belongs to the installation in MENU.
    const QStringList parts = dir.split(QLatin1Char('/'));
    const qsizetype n = parts.size(); // the last part is empty: dir ends in "/"
    if (n >= 5 && parts[n - 3].compare(QLatin1String("versions"), Qt::CaseInsensitive) == 0 &&
        parts[n - 4].compare(QLatin1String("MENU"), Qt::CaseInsensitive) == 0 &&
        !parts[n - 2].isEmpty())
        return parts.mid(0, n - 3).join(QLatin1Char('/')) + QLatin1Char('/');
    return dir;
}

QString starterPathOf(const QString &executablePath)
{
    return programDirOf(executablePath) +
           executablePath.mid(executablePath.lastIndexOf(QLatin1Char('/')) + 1);
}

std::optional<QString> switchedVersion(const QString &executablePath)
{
    const QString dir = programDirOf(executablePath);
    const QString own = executablePath.left(executablePath.lastIndexOf(QLatin1Char('/')) + 1);
    if (dir == own)
        return std::nullopt; // not in a version folder
    const Result<QByteArray> pointer =
        platform::readWholeFile(dir + QStringLiteral("versions/current"), 256);
    if (!pointer)
        return std::nullopt;
    const QString current = QString::fromUtf8(*pointer).trimmed();
    const QString mine = own.section(QLatin1Char('/'), -2, -2);
    if (current.isEmpty() || current == mine)
        return std::nullopt;
    return current;
}

std::optional<QString> drivePrefixOf(const QString &executablePath, PathRules rules)
{
    const QString dir =
        programDirOf(QString(executablePath).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (rules == PathRules::Windows) {
        const bool drive = dir.size() > 2 && dir[0].isLetter() && dir[0].unicode() < 0x80 &&
                           dir[1] == QLatin1Char(':');
        if (!drive || !dir.mid(2).startsWith(kMenuDir, Qt::CaseInsensitive))
            return std::nullopt;
        return executablePath.left(2);
    }
    const int at = dir.indexOf(kMenuDir, 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    return executablePath.left(at);
}

QString packagePath(const QString &drivePrefix, const QString &windowsPath, std::int64_t nowNs)
{
    const QString exact = drivePrefix + QString(windowsPath).replace(u'\\', u'/');
    return platform::exists(exact) ? exact : matchedPackagePath(drivePrefix, windowsPath, nowNs);
}

std::optional<QString> FolderMatches::entryWithoutCase(const QString &dir, const QString &name,
                                                       std::int64_t nowNs)
{
    const QString key = dir + QChar(0) + name;
    {
        const std::lock_guard lock(mutex_);
        if (const auto found = known_.constFind(key); found != known_.constEnd())
            return *found;
    }
    // Looked at without the lock: two workers that ask at once both look, and agree.
    std::optional<QString> actual = platform::entryWithoutCase(dir, name, nowNs);
    const std::lock_guard lock(mutex_);
    known_.insert(key, actual);
    return actual;
}

QString matchedPackagePath(const QString &drivePrefix, const QString &windowsPath,
                           std::int64_t nowNs, FolderMatches *matches)
{
    QString path = drivePrefix;
    bool parentExists = true; // below a missing component nothing can be matched
    const QStringList parts = QString(windowsPath).replace(u'\\', u'/').split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString parent = path.isEmpty() ? QStringLiteral("/") : path;
        if (i > 0)
            path += QLatin1Char('/');
        const QString &part = parts[i];
        if (!parentExists || part.isEmpty()) {
            path += part;
        } else if (part == QLatin1String(".") || part == QLatin1String("..")) {
            path += part;
            parentExists = platform::exists(path);
        } else {
            const std::optional<QString> actual =
                matches != nullptr ? matches->entryWithoutCase(parent, part, nowNs)
                                   : platform::entryWithoutCase(parent, part, nowNs);
            path += actual.value_or(part);
            parentExists = actual.has_value();
        }
    }
    return path;
}

QString packageDirOf(const QString &executablePath, PathRules rules)
{
    const std::optional<QString> drive = drivePrefixOf(executablePath, rules);
    if (!drive)
        return QString();
    if (rules == PathRules::Windows)
        return *drive + QStringLiteral("/ORVAN");
    // The directory as it is named on the disk, whatever its case.
    constexpr qsizetype kOrvan = 6; // "/ORVAN"
    return executablePath.left(drive->size() + kOrvan);
}

QString moduleFilePath(const QString &drivePrefix, const QString &code)
{
    return packagePath(drivePrefix,
                       QStringLiteral("\\ORVAN\\orvan-") + code + QStringLiteral(".ini"));
}

} // namespace menu::core
