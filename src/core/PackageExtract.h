// Unpacking the launcher's package archive into ORVAN-INSTAL beside it, and the check that
// the package's installer setup.exe came with it.
#pragma once

#include "core/ZipReader.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace menu::core {

// The unpacking directory: the directory part of the archive path + "ORVAN-INSTAL".
QString unpackDirOf(const QString &archivePath);
// The installer the caller starts after a successful import: unpacking directory + setup.exe.
QString installerPathOf(const QString &archivePath);

// The place below the unpacking directory where an entry named name is written, as plain
// names; nothing when the name would lead outside it (absolute path, drive letter, "..",
// either kind of separator), with error set. A name of no parts ("./") gives an empty list.
std::optional<QStringList> entryTargetPath(const QString &name, QString &error);

enum class DecompOutcome {
    Unpacked,            // unpacked, and the archive brought setup.exe at its top level
    ArchiveOpen,         // an archive was still open in the reader
    DirectoryNotCreated, // the unpacking directory is missing and cannot be made
    ExtractionFailed,    // not an archive, unreadable, an entry not writable or damaged
    InstallerMissing,    // unpacked, but the archive had no setup.exe at its top level
};

// Everything the update dialog shows about one unpacking.
struct DecompResult {
    DecompOutcome outcome = DecompOutcome::ExtractionFailed;
    QString unpackDir;
    QString boxText;       // the error box's text; empty on success
    QString note;          // the note (LabPoz) left at the end
    bool noteRed = false;  // the note is an error note, in red
    QStringList written;   // files written, relative to the unpacking directory, '/'-joined
    QStringList corrupted; // entries whose data failed its check (written all the same)
    QString errorText;     // the reader's or writer's message behind ExtractionFailed
    bool ok() const { return outcome == DecompOutcome::Unpacked; }
};

struct ExtractOptions {
    // Free bytes below the target directory; negative: ask the file system.
    qint64 availableBytes = -1;
    // Get every written file onto the disk before the extraction counts as done.
    bool flush = true;
};

struct ExtractResult {
    bool ok = false;
    QString error;         // why not, for the user (Slovak, ends " !")
    QStringList written;   // as in DecompResult
    QStringList corrupted; // as in DecompResult
};

// Extracts every entry of the archive open in reader into the existing directory targetDir:
// folders as stored, existing files replaced (also read-only ones), stored attributes applied.
// An entry whose data fails its check is still written and extraction goes on, but the result
// is then a failure: a damaged package must not be installed. Archives with an entry that
// would land outside targetDir are refused before anything is written.
ExtractResult extractArchive(ZipReader &reader, const QString &targetDir,
                             const ExtractOptions &options = {});

// Unpacks the archive file into its unpacking directory and checks for the installer,
// without showing anything: the update dialog shows the result.
DecompResult unpackPackage(const QString &archivePath, ZipReader &reader,
                           const ExtractOptions &options = {});

} // namespace menu::core
