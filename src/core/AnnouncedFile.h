// The file an announcement names, as the update dialog fetches it: whether it may be fetched at
// all, and what the download must check it against before it replaces or installs anything.
#pragma once

#include "core/Download.h"
#include "core/LauncherSettings.h"
#include "core/Notice.h"

#include <QString>
#include <optional>

namespace menu::core {

// A build with trusted keys installs only files whose length and hash a signed announcement
// gave.
bool checksRequired();

// Why the announced file is not fetched, or nothing when it may be: an announcement without a
// file has nothing to fetch, and where checks are required an announcement without a length
// or without a SHA-256 of 64 hex digits cannot be trusted.
std::optional<Notice> fetchRefusal(const Announcement &announced, bool requireChecks);

// The announced length and hash, for the download to hold the file to.
void expectAnnounced(DownloadOptions &options, const Announcement &announced);

} // namespace menu::core
