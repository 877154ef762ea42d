// Unpacking the launcher's package archive into ORVAN-INSTAL beside it, within bounds, and the
// check that the package's installer setup.exe came with it.
#pragma once

#include "core/ZipReader.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

namespace menu::core {

// Each try of a launcher update works in a private directory of its own in the user's
// temporary directory, named with this prefix: the archive, and ORVAN-INSTAL beside it.
inline constexpr char kPackageDirPrefix[] = "orvan-update-";
inline constexpr char kPackageFileName[] = "orvan_update.zip";
// A directory kept for the installer started from it is removed by a later start once it has
// been left alone this long: the installer has long finished with its files by then, while
// one that starts the launcher again at its end may still be reading them.
inline constexpr std::chrono::hours kPackageDirKeptFor{1};

// The unpacking directory: the directory part of the archive path + "ORVAN-INSTAL".
QString unpackDirOf(const QString &archivePath);
// The installer the caller starts after a successful import: setup.exe in the unpacking
// directory, in whatever case the archive spelled it.
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

// What one archive may unpack to. The archive's declared sizes are held to (the reader never
// delivers more than an entry declares), so they are checked before anything is written.
struct ExtractLimits {
    // The launcher's package holds a few hundred files; twenty thousand leaves room for a
    // hundredfold growth, while an archive of a million empty entries would still cost a
    // million files on the user's disk and as many steps of work.
    qint64 entries = 20000;
    // Installers are mostly compressed already (cabinets, compressed programs): their archives
    // unpack to one to three times their size, text and plain data to about ten times. Deflate
    // reaches about 1000 times, which is what an archive bomb relies on; 32 leaves honest
    // packages room and stops a bomb at a size a disk holds.
    quint64 ratio = 32;
    // Any archive may unpack to this much whatever its ratio: small files of repeated bytes
    // compress far beyond 32 times, and 16 MiB does no disk harm.
    quint64 floorBytes = quint64{16} << 20;
    // The office package's installer unpacks to a few hundred megabytes; 4 GiB is far beyond
    // that, and bounds what even a large honest-looking archive may put on the disk.
    quint64 totalBytes = quint64{4} << 30;
    // Folders nested deeper than this are no package's: the system the packages are made for
    // stops paths at 260 characters. A bound here also bounds the work of every later walk.
    qsizetype depth = 64;

    // The most an archive file of archiveBytes may unpack to; negative: its size is unknown.
    quint64 bytesFor(qint64 archiveBytes) const;
};

struct ExtractOptions {
    // Free bytes below the target directory; negative: ask the file system.
    qint64 availableBytes = -1;
    // Get every written file onto the disk before the extraction counts as done.
    bool flush = true;
    // The archive file's size, for the ratio of the limits; negative: unknown, and only the
    // absolute bound applies.
    qint64 archiveBytes = -1;
    ExtractLimits limits;
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
// without showing anything: the update dialog shows the result. The archive's size is taken
// from the file when options do not give it.
DecompResult unpackPackage(const QString &archivePath, ZipReader &reader,
                           const ExtractOptions &options = {});

} // namespace menu::core
