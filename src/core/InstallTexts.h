// Texts of installing a downloaded file: its announcement, its private directory, the bounds of
// unpacking, and stopping a download.
// The texts are the users' own words: change them only together with their users. A CR
// (character 13) breaks a line in a box.
#pragma once

#include "formats/Result.h"

#include <QString>

namespace menu::core::texts {

// ---- Installing a downloaded file: its announcement, its private directory, the bounds of

// The announcement names no file: there is nothing to download.
QString nothingToDownload();
// A build with trusted keys installs only a file whose length and SHA-256 were announced.
QString fileNotVerifiable();
// The private directory for the launcher's package could not be made in dir.
QString workDirNotCreated(const QString &dir, const Failure &failure);
// "Koniec" while a file downloads.
QString stopDownloadQuestion();
QString tooManyEntries(qint64 count, qint64 limit);
QString unpackedTooLarge(quint64 bytes, quint64 limit);
QString entryTooDeep(const QString &name, qsizetype limit);

} // namespace menu::core::texts
