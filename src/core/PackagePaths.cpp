#include "core/PackagePaths.h"

#include <QDir>
#include <QFileInfo>

namespace menu::core {

namespace {
const QString kMenuDir = QStringLiteral("/ORVAN/MENU/");

// The entry of dir whose name equals name without case; name itself when none does.
QString matchComponent(const QString &dir, const QString &name)
{
    if (name == QLatin1String(".") || name == QLatin1String("..") ||
        QFileInfo::exists(dir + QLatin1Char('/') + name))
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}
} // namespace

QString programDirOf(const QString &executablePath)
{
    const int slash = executablePath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : executablePath.left(slash + 1);
}

std::optional<QString> drivePrefixOf(const QString &executablePath)
{
    const int at = programDirOf(executablePath).indexOf(kMenuDir, 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    return executablePath.left(at);
}

QString packagePath(const QString &drivePrefix, const QString &windowsPath)
{
    QString rest = windowsPath;
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString exact = drivePrefix + rest;
    if (QFileInfo::exists(exact))
        return exact;

    QString path = drivePrefix;
    bool parentExists = true; // below a missing component nothing can be matched
    const QStringList parts = rest.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString parent = path.isEmpty() ? QStringLiteral("/") : path;
        if (i > 0)
            path += QLatin1Char('/');
        if (parentExists && !parts[i].isEmpty()) {
            path += matchComponent(parent, parts[i]);
            parentExists = QFileInfo::exists(path);
        } else {
            path += parts[i];
        }
    }
    return path;
}

QString packageDir(const QString &drivePrefix)
{
    return drivePrefix + QStringLiteral("/ORVAN");
}

QString moduleFilePath(const QString &drivePrefix, const QString &code)
{
    return packagePath(drivePrefix, QStringLiteral("\\ORVAN\\orvan-") + code + QStringLiteral(".ini"));
}

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

} // namespace menu::core
