// What the last start learnt about each target of the menu, kept in the user's own cache: the
// file it names, whether it exists, its version and its icon, with the size and modification
// time it had. A start shows these at once and checks each in the background; a target whose
// size or time changed is looked at anew. The cache never decides what a click starts: a click
// always goes to the file.
#pragma once

#include "core/VersionInfo.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <cstdint>
#include <mutex>
#include <optional>

namespace menu::core {

class DetailCache {
  public:
    struct Target {
        QString path;        // the file the configured path named
        bool exists = false; // a regular file
        std::int64_t size = 0, modifiedNs = 0;
        bool product = false; // version is ProductVersion (the Team Viewer entry)
        VersionText version;  // buttons only
        QImage icon;          // a program's own icon
    };

    // The cache file in dir (empty dir: none).
    static QString fileIn(const QString &dir);
    // The cache stored in file; empty when there is none, or it is damaged, of another
    // version, or written by anyone but this user.
    static DetailCache load(const QString &file);
    // Stores the targets put since construction; the old file is replaced as a whole.
    bool save(const QString &file) const;

    DetailCache() = default;
    DetailCache(DetailCache &&other) noexcept;
    DetailCache &operator=(DetailCache &&other) noexcept;

    bool empty() const;
    // What was kept for the configured path (drive prefix + Exe as written).
    std::optional<Target> find(const QString &configured) const;
    // Safe from several workers at once.
    void put(const QString &configured, const Target &target);

    QByteArray serialized() const;
    static DetailCache parse(const QByteArray &bytes);

  private:
    mutable std::mutex mutex_;
    QHash<QString, Target> targets_;
};

} // namespace menu::core
