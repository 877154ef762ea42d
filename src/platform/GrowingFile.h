// A file that a download fills block by block and that a later try goes on with: the kept
// part of a cut download, in the user's own folder.
#pragma once

#include "formats/Result.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QFile;

namespace menu::platform {

// Takes one block of a file; false stops the reading.
using BlockTaker = std::function<bool(const char *data, qint64 length)>;

class GrowingFile {
  public:
    // Opens path to go on after its first keep bytes, which are handed to take first (keep 0:
    // the file is made empty); whatever lies beyond them goes. ECANCELED when take stopped.
    static Result<GrowingFile> open(const QString &path, qint64 keep, const BlockTaker &take);
    GrowingFile(GrowingFile &&) noexcept;
    GrowingFile &operator=(GrowingFile &&) noexcept;
    ~GrowingFile();

    Status write(const char *data, qint64 length);

  private:
    explicit GrowingFile(std::unique_ptr<QFile> file);
    std::unique_ptr<QFile> file_;
};

// Hands the whole file at path to take, block by block.
Status readBlocks(const QString &path, const BlockTaker &take);
// The size of the regular file at path; nothing for a link, a folder, or no file.
std::optional<qint64> regularFileSize(const QString &path);
// Removes the files in dir whose names end in one of suffixes and that nobody changed for age.
void removeUnchangedFor(const QString &dir, const QStringList &suffixes, std::chrono::seconds age);

} // namespace menu::platform
