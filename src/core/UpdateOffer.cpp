#include "core/UpdateOffer.h"

#include "core/VersionInfo.h"

namespace menu::core {

namespace {
// Shorter version texts cannot be a version the server or the program would give.
constexpr qsizetype kMinVersionLength = 7;
constexpr qsizetype kDatePairLength = 20;

QString dateKey(const QString &date)
{
    return date.mid(6, 4) + date.mid(3, 2) + date.mid(0, 2);
}
} // namespace

void versionDateKeys(const QString &installedDate, const QString &announcedDate,
                     QString &installedKey, QString &announcedKey)
{
    installedKey.clear();
    announcedKey.clear();
    if (installedDate.size() + announcedDate.size() != kDatePairLength)
        return;
    installedKey = dateKey(installedDate);
    announcedKey = dateKey(announcedDate);
}

UpdateCase updateCaseFor(const QString &installedVersion, const QString &installedDate,
                         const QString &announcedVersion, const QString &announcedDate)
{
    if (announcedVersion.isEmpty())
        return UpdateCase::A;
    if (installedVersion.size() < kMinVersionLength)
        return UpdateCase::B;
    if (announcedVersion.size() < kMinVersionLength)
        return UpdateCase::C;
    QString installedKey, announcedKey;
    versionDateKeys(installedDate, announcedDate, installedKey, announcedKey);
    installedKey.prepend(installedVersion);
    announcedKey.prepend(announcedVersion);
    if (isLaterVersion(announcedKey, installedKey))
        return UpdateCase::D;
    if (installedKey == announcedKey)
        return UpdateCase::E;
    return UpdateCase::F;
}

} // namespace menu::core
