// The file an announcement names, as the update dialog fetches it: whether it may be fetched at
// all, and what the download must check it against before it replaces or installs anything.
#pragma once

#include "core/Download.h"
#include "core/LauncherSettings.h"
#include "core/Notice.h"

#include <QString>
#include <optional>

namespace menu::core {

// A build with trusted keys (in the policy in force) installs only files whose length and hash
// a signed announcement gave.
bool checksRequired();

// Why the announced file is not fetched, or nothing when it may be: an announcement without a
// file has nothing to fetch, and where checks are required an announcement without a length
// or without a SHA-256 of 64 hex digits cannot be trusted.
std::optional<Notice> fetchRefusal(const Announcement &announced, bool requireChecks);

// Why a download may not follow announced now, or nothing when it may: a build that may not
// update downloads nothing, and a download follows only the announcement trusted now (the kept
// signed one), exactly as the dialog shows it.
std::optional<Notice> trustRefusal(const Announcement &announced,
                                   const std::optional<Announcement> &trusted, bool updatesAllowed);
// The launcher's own package is installed only when it is a later release than the running
// launcher (see isNewerRelease).
std::optional<Notice> releaseRefusal(const Announcement &announced, const QString &running);

// The announced length and hash, for the download to hold the file to.
void expectAnnounced(DownloadOptions &options, const Announcement &announced);

} // namespace menu::core
