#include "core/PackageExtract.h"

#include "core/ArchiveTexts.h"
#include "core/InstallTexts.h"
#include "core/Texts.h"
#include "platform/Files.h"
#include "platform/UnpackDir.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace menu::core {

namespace {

const QString kUnpackDirName = QStringLiteral("ORVAN-INSTAL");
const QString kInstallerName = QStringLiteral("setup.exe");
constexpr qint64 kBlockSize = 64 * 1024;

constexpr quint32 kDosReadOnly = 0x01;
constexpr quint8 kMadeOnUnix = 3;

// The attributes stored for a file or folder entry; a symbolic link becomes a plain file
// and takes none of them.
platform::StoredAttributes storedAttributes(const ZipEntry &entry)
{
    platform::StoredAttributes attributes;
    if (entry.isSymlink)
        return attributes;
    if (entry.madeBy == kMadeOnUnix) {
        const quint32 mode = entry.externalAttributes >> 16;
        if (mode != 0)
            attributes.unixMode = mode & 0777;
    }
    attributes.readOnly = (entry.externalAttributes & kDosReadOnly) != 0;
    return attributes;
}

// Closes the reader's archive however the unpacking ends.
class CloseGuard {
  public:
    explicit CloseGuard(ZipReader &reader) : reader_(reader) {}
    ~CloseGuard()
    {
        if (reader_.active())
            reader_.closeArchive();
    }
    CloseGuard(const CloseGuard &) = delete;
    CloseGuard &operator=(const CloseGuard &) = delete;

  private:
    ZipReader &reader_;
};

} // namespace

quint64 ExtractLimits::bytesFor(qint64 archiveBytes) const
{
    if (archiveBytes < 0)
        return totalBytes;
    const auto archive = static_cast<quint64>(archiveBytes);
    const quint64 byRatio =
        archive > totalBytes / std::max<quint64>(ratio, 1) ? totalBytes : archive * ratio;
    return std::min(totalBytes, std::max(floorBytes, byRatio));
}

QString unpackDirOf(const QString &archivePath)
{
    const qsizetype cut = std::max(archivePath.lastIndexOf(QLatin1Char('/')),
                                   archivePath.lastIndexOf(QLatin1Char('\\')));
    return archivePath.left(cut + 1) + kUnpackDirName;
}

QString installerPathOf(const QString &archivePath)
{
    // Archives made on the system the packages are for spell the installer in any case.
    const QString dir = unpackDirOf(archivePath);
    return dir + QLatin1Char('/') +
           platform::entryWithoutCase(dir, kInstallerName).value_or(kInstallerName);
}

std::optional<QStringList> entryTargetPath(const QString &name, QString &error)
{
    auto refuse = [&]() -> std::optional<QStringList> {
        error = texts::entryOutsideUnpackDir(name);
        return std::nullopt;
    };
    QString path = name;
    path.replace(QLatin1Char('\\'), QLatin1Char('/')); // archives made on Windows use either
    if (path.startsWith(QLatin1Char('/')))
        return refuse();
    QStringList parts;
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        // ".." climbs out; a colon is a drive ("C:x") or a stream on the system the packages
        // are made for, never part of a plain name.
        if (part == QLatin1String("..") || part.contains(QLatin1Char(':')))
            return refuse();
        parts << part;
    }
    return parts;
}

namespace {

struct Planned {
    ZipEntry entry;
    QStringList target;
};

// Every name, and the archive's bounds, are checked before anything is written, so a hostile
// archive leaves nothing; the plan also says how many bytes the files need.
bool plan(ZipReader &reader, const ExtractOptions &options, std::vector<Planned> &items,
          quint64 &needed, QString &error)
{
    const ExtractLimits &limits = options.limits;
    const qint64 count = reader.count();
    if (count > limits.entries) {
        error = texts::tooManyEntries(count, limits.entries);
        return false;
    }
    for (qint64 i = 0; i < count; ++i) {
        std::optional<ZipEntry> entry = reader.entry(i, error);
        if (!entry)
            return false;
        std::optional<QStringList> target = entryTargetPath(entry->name, error);
        if (!target)
            return false;
        if (target->size() > limits.depth) {
            error = texts::entryTooDeep(entry->name, limits.depth);
            return false;
        }
        if (!entry->isDirectory) {
            if (target->isEmpty()) {
                error = texts::entryWithoutName(entry->name);
                return false;
            }
            const quint64 room = std::numeric_limits<quint64>::max() - needed;
            needed += std::min(entry->size, room);
        }
        items.push_back({std::move(*entry), std::move(*target)});
    }
    if (const quint64 most = limits.bytesFor(options.archiveBytes); needed > most) {
        error = texts::unpackedTooLarge(needed, most);
        return false;
    }
    return true;
}

// Copies the entry's data into file; an entry whose data fails its check is written all the
// same and noted in corrupted.
bool copyData(ZipReader::EntryData &data, platform::UnpackDir::File &file,
              std::vector<char> &buffer, ExtractResult &result)
{
    for (;;) {
        qint64 got = 0;
        const auto status = data.read(buffer.data(), static_cast<qint64>(buffer.size()), got);
        if (got > 0) {
            if (Status written = file.write(buffer.data(), got); !written.ok()) {
                result.error = texts::fileNotWritten(written.failure());
                return false;
            }
        }
        if (status == ZipReader::EntryData::Status::Data)
            continue;
        if (status == ZipReader::EntryData::Status::Corrupt)
            result.corrupted << data.error(); // kept as it came, as the package asks
        if (status == ZipReader::EntryData::Status::Failed) {
            result.error = data.error();
            return false;
        }
        return true;
    }
}

bool writeEntry(ZipReader &reader, platform::UnpackDir &dir, const Planned &item,
                const ExtractOptions &options, std::vector<char> &buffer, ExtractResult &result)
{
    const QStringList folders =
        item.entry.isDirectory ? item.target : item.target.mid(0, item.target.size() - 1);
    if (Status made = dir.makeDirs(folders); !made.ok()) {
        result.error = texts::folderNotCreated(made.failure());
        return false;
    }
    if (item.entry.isDirectory)
        return true;
    std::optional<ZipReader::EntryData> data = reader.openEntry(item.entry, result.error);
    if (!data)
        return false;
    Result<platform::UnpackDir::File> file = dir.createFile(item.target);
    if (!file.ok()) {
        result.error = texts::fileNotCreated(file.failure());
        return false;
    }
    if (!copyData(*data, *file, buffer, result))
        return false;
    if (Status set = file->applyAttributes(storedAttributes(item.entry)); !set.ok()) {
        result.error = texts::fileAttributesNotSet(set.failure());
        return false;
    }
    if (Status closed = file->close(options.flush); !closed.ok()) {
        result.error = texts::fileNotWritten(closed.failure());
        return false;
    }
    result.written << item.target.join(QLatin1Char('/'));
    return true;
}

// Folder attributes last, so that a read-only folder did not stop its own files; then nothing
// counts as unpacked before it is on the disk, as the installer runs from it next.
bool finishFolders(platform::UnpackDir &dir, const std::vector<Planned> &items,
                   const ExtractOptions &options, QString &error)
{
    for (const Planned &item : items) {
        if (!item.entry.isDirectory || item.target.isEmpty())
            continue;
        if (Status set = dir.setDirAttributes(item.target, storedAttributes(item.entry));
            !set.ok()) {
            error = texts::folderAttributesNotSet(set.failure());
            return false;
        }
    }
    if (options.flush) {
        if (Status flushed = dir.flush(); !flushed.ok()) {
            error = texts::filesNotFlushed(flushed.failure());
            return false;
        }
    }
    return true;
}

} // namespace

ExtractResult extractArchive(ZipReader &reader, const QString &targetDir,
                             const ExtractOptions &options)
{
    ExtractResult result;
    Result<platform::UnpackDir> opened = platform::UnpackDir::open(targetDir);
    if (!opened.ok()) {
        result.error = texts::unpackDirNotOpened(opened.failure());
        return result;
    }
    std::vector<Planned> items;
    quint64 needed = 0;
    if (!plan(reader, options, items, needed, result.error))
        return result;
    const qint64 available = options.availableBytes >= 0
                                 ? options.availableBytes
                                 : platform::freeBytes(targetDir).value_or(-1);
    if (available >= 0 && needed > static_cast<quint64>(available)) {
        result.error = texts::notEnoughSpace(needed, available);
        return result;
    }
    std::vector<char> buffer(static_cast<size_t>(kBlockSize));
    for (const Planned &item : items) {
        if (!writeEntry(reader, *opened, item, options, buffer, result))
            return result;
    }
    if (!finishFolders(*opened, items, options, result.error))
        return result;
    if (!result.corrupted.isEmpty()) {
        result.error = result.corrupted.first();
        return result;
    }
    result.ok = true;
    return result;
}

DecompResult unpackPackage(const QString &archivePath, ZipReader &reader,
                           const ExtractOptions &options)
{
    DecompResult result;
    result.unpackDir = unpackDirOf(archivePath);
    auto fail = [&](DecompOutcome outcome, const QString &box, const QString &note) {
        result.outcome = outcome;
        result.boxText = texts::unpackBox(box);
        result.note = texts::unpackNote(note);
        result.noteRed = true;
        return result;
    };

    if (reader.active())
        return fail(DecompOutcome::ArchiveOpen, texts::archiveStillOpen(),
                    texts::unpackingStillOpen());

    if (!platform::isDirectory(result.unpackDir) &&
        (platform::exists(result.unpackDir) || !platform::makeDirectories(result.unpackDir).ok())) {
        const QString text = texts::unpackDirNotCreated(result.unpackDir);
        return fail(DecompOutcome::DirectoryNotCreated, text, text);
    }

    ExtractOptions bounded = options;
    if (bounded.archiveBytes < 0) {
        if (const auto stamp = platform::fileStamp(archivePath))
            bounded.archiveBytes = stamp->size;
    }
    ExtractResult extracted;
    {
        CloseGuard guard(reader);
        if (reader.openArchive(archivePath, extracted.error))
            extracted = extractArchive(reader, result.unpackDir, bounded);
    }
    result.written = extracted.written;
    result.corrupted = extracted.corrupted;
    if (!extracted.ok) {
        result.errorText = extracted.error;
        return fail(DecompOutcome::ExtractionFailed, result.errorText, texts::unpackFailed());
    }

    result.note = texts::unpacked();
    // Only an installer this archive brought counts: one left by an earlier update would be
    // started as if it were the new one.
    const QString installer = installerPathOf(archivePath);
    if (!extracted.written.contains(installer.mid(result.unpackDir.size() + 1)) ||
        !platform::isFile(installer))
        return fail(DecompOutcome::InstallerMissing, texts::installerMissing(),
                    texts::installerMissing());
    result.outcome = DecompOutcome::Unpacked;
    return result;
}

} // namespace menu::core
