// Texts of reading ZIP archives and unpacking the launcher's package.
// The texts are the users' own words: change them only together with their users. A CR
// (character 13) breaks a line in a box.
#pragma once

#include <QString>

namespace menu::core::texts {

// ---- Unpacking the launcher's package ----

QString archiveStillOpen();
QString unpackingStillOpen();
QString unpackFailed();
QString installerMissing();
QString unpacking();
QString unpacked();

// ---- Reading ZIP archives ----

QString notAnArchive(const QString &file);
QString archiveNotOpened(const QString &file, const QString &why);
QString archiveOnManyDisks(const QString &file);
QString archiveDamaged(const QString &file, const QString &why);
QString archiveInconsistent();
QString archiveNotOpen();
QString archiveEntryMissing(qint64 index);
QString archiveEntryNotRead(qint64 index, const QString &why);
QString entryEncrypted(const QString &name);
QString entryMethodUnsupported(const QString &name);
QString entryNotOpened(const QString &name, const QString &why);
QString entryNotOpen(const QString &name);
QString entrySizeWrong(const QString &name);
QString entryChecksumWrong(const QString &name);
QString entryDataBroken(const QString &name);
QString entryIncomplete(const QString &name);
QString entryDataNotRead(const QString &name, const QString &why);

} // namespace menu::core::texts
