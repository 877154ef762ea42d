#include "core/PackagePaths.h"

#include "core/ProfileFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <dirent.h>
#include <memory>
#include <mutex>

namespace menu::core {

namespace {
const QString kMenuDir = QStringLiteral("/ORVAN/MENU/");

// Matching a component without case lists its directory. A package has few directories and
// many targets in each, so a listing is kept while the directory's stamp stays the same; one
// changed too recently for its stamp to be trusted is listed anew at every lookup.
constexpr qsizetype kListingsMax = 64;

struct Listing {
    FileStamp stamp;
    QHash<QString, QStringList> byFolded; // case-folded name -> the names that fold to it
};

std::mutex listingsMutex;
QHash<QString, std::shared_ptr<const Listing>> listings; // by directory path

std::shared_ptr<const Listing> listed(const QString &dir, const FileStamp &stamp)
{
    DIR *stream = ::opendir(QFile::encodeName(dir).constData());
    if (stream == nullptr)
        return nullptr;
    auto listing = std::make_shared<Listing>();
    listing->stamp = stamp;
    while (const dirent *entry = ::readdir(stream)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            listing->byFolded[name.toCaseFolded()].append(name);
    }
    ::closedir(stream);
    return listing;
}

std::shared_ptr<const Listing> listingOf(const QString &dir)
{
    const auto stamp = fileStampOf(dir);
    if (!stamp)
        return nullptr;
    const std::lock_guard lock(listingsMutex);
    if (const auto known = listings.value(dir); known && known->stamp == *stamp)
        return known;
    const std::int64_t listedAt = stampClockNs();
    auto listing = listed(dir, *stamp);
    if (listing && stamp->changedNs < listedAt - kStampSettledNs) {
        if (listings.size() >= kListingsMax)
            listings.clear();
        listings.insert(dir, listing);
    } else {
        listings.remove(dir);
    }
    return listing;
}

// The name of the entry of dir that is name, or else equals it without case (the first such
// in code-point order, whatever order the directory keeps); nothing when there is none.
std::optional<QString> entryNamed(const QString &dir, const QString &name)
{
    const auto listing = listingOf(dir);
    if (!listing) // not listable, perhaps still searchable
        return QFileInfo::exists(dir + QLatin1Char('/') + name) ? std::optional(name)
                                                                : std::nullopt;
    const auto found = listing->byFolded.constFind(name.toCaseFolded());
    if (found == listing->byFolded.constEnd())
        return std::nullopt;
    if (found->contains(name))
        return name;
    return *std::min_element(found->begin(), found->end());
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
        const QString &part = parts[i];
        if (!parentExists || part.isEmpty()) {
            path += part;
        } else if (part == QLatin1String(".") || part == QLatin1String("..")) {
            path += part;
            parentExists = QFileInfo::exists(path);
        } else {
            const std::optional<QString> actual = entryNamed(parent, part);
            path += actual.value_or(part);
            parentExists = actual.has_value();
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
    return packagePath(drivePrefix,
                       QStringLiteral("\\ORVAN\\orvan-") + code + QStringLiteral(".ini"));
}

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

} // namespace menu::core
