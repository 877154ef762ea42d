// A file's new content written beside it and put in its place at once, so that a failure or a
// crash leaves either the old file or the new one, never half of either.
#pragma once

#include "formats/Result.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace menu::platform {

class AtomicFile {
  public:
    struct Options {
        // A symbolic link at the target keeps naming its file, whose content is replaced.
        // Without it, a link at the target is itself replaced and never written through. Only
        // links of this user or of the administrator are followed: anyone else's link (one
        // planted in a shared directory) is replaced like any other.
        bool followLink = false;
        // The replaced file's permission bits (and its owner, where the system allows) carry
        // over, when it belongs to this user or to the administrator; a new file, and one of
        // anyone else, gets the usual ones less the umask.
        bool keepMode = true;
        // On the disk, data and name, before commit returns.
        bool durable = false;
        // A target that a running program uses (a program or a DLL it loaded, on this computer
        // or another one), which Windows lets nobody replace, is moved aside under a hidden name
        // beside it and removed once free (removeSetAsideCopies). Where even that is refused,
        // commit fails with EBUSY and the target stays. Other systems replace such a file as
        // any other.
        bool setAsideInUse = false;
    };

    // Starts the new content of target: a new, empty file beside it.
    static Result<AtomicFile> begin(const QString &target, const Options &options);

    AtomicFile(AtomicFile &&) noexcept;
    AtomicFile &operator=(AtomicFile &&) noexcept;
    // Without commit the new content is dropped and the target stays as it was.
    ~AtomicFile();

    Status write(const char *data, qint64 size);
    Status write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // Puts the new content in the target's place.
    Status commit();

    // The file that commit replaces (the link's target when a link was followed).
    QString target() const;

  private:
    struct Native;
    explicit AtomicFile(std::unique_ptr<Native> native);
    std::unique_ptr<Native> native_;
};

// Removes the copies of target that commits moved aside and nobody uses any more; those still
// in use stay for a later try.
void removeSetAsideCopies(const QString &target);

// The whole new content of target in one step.
Status replaceFileContent(const QString &target, const QByteArray &bytes,
                          const AtomicFile::Options &options);

} // namespace menu::platform
