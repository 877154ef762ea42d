#include "core/ZipReader.h"

#include "core/ArchiveTexts.h"
#include "core/Texts.h"
#include "formats/TextCodec.h"
#include "platform/Files.h"

#include <algorithm>
#include <cstring>
#include <zip.h>

namespace menu::core {

namespace {

// libzip's error in the user's words; its own English words for the rare ones.
QString zipReason(int code)
{
    switch (code) {
    case ZIP_ER_NOENT:
        return texts::reason(std::make_error_code(std::errc::no_such_file_or_directory));
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return texts::reason(std::make_error_code(std::errc::io_error));
    case ZIP_ER_MEMORY:
        return texts::reason(std::make_error_code(std::errc::not_enough_memory));
    case ZIP_ER_INCONS:
        return texts::archiveInconsistent();
    default: {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        const QString text = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        return text;
    }
    }
}

QString openErrorText(const QString &what, int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return texts::notAnArchive(what);
    case ZIP_ER_NOENT:
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return texts::archiveNotOpened(what, zipReason(code));
    case ZIP_ER_MULTIDISK:
        return texts::archiveOnManyDisks(what);
    default:
        return texts::archiveDamaged(what, zipReason(code));
    }
}

// An archive file read through the seam: libzip asks for pieces, the platform reads them.
struct FileSource {
    platform::ReadOnlyFile file;
    zip_uint64_t offset = 0;
    zip_error_t error;

    static zip_int64_t command(void *self, void *data, zip_uint64_t length, zip_source_cmd_t cmd)
    {
        auto *source = static_cast<FileSource *>(self);
        switch (cmd) {
        case ZIP_SOURCE_OPEN:
            source->offset = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            const zip_uint64_t left =
                source->file.size() - std::min(source->offset, source->file.size());
            const zip_uint64_t piece = std::min(length, left);
            if (piece > 0 && !source->file.readAt(source->offset, static_cast<char *>(data),
                                                  static_cast<std::size_t>(piece))) {
                zip_error_set(&source->error, ZIP_ER_READ, EIO);
                return -1;
            }
            source->offset += piece;
            return static_cast<zip_int64_t>(piece);
        }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto *st = static_cast<zip_stat_t *>(data);
            zip_stat_init(st);
            st->size = source->file.size();
            st->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t to = zip_source_seek_compute_offset(
                source->offset, source->file.size(), data, length, &source->error);
            if (to < 0)
                return -1;
            source->offset = static_cast<zip_uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return static_cast<zip_int64_t>(source->offset);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&source->error, data, length);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&source->error);
            delete source;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, -1);
        default:
            zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

} // namespace

void ZipReader::ArchiveCloser::operator()(zip *archive) const
{
    zip_discard(archive); // read-only: nothing to write back
}

void ZipReader::FileCloser::operator()(zip_file *file) const
{
    zip_fclose(file);
}

ZipReader::ZipReader() = default;
ZipReader::~ZipReader() = default;

bool ZipReader::openArchive(const QString &fileName, QString &error)
{
    closeArchive();
    Result<platform::ReadOnlyFile> file = platform::ReadOnlyFile::open(fileName);
    if (!file.ok()) {
        error = openErrorText(fileName, file.failure().is(std::errc::no_such_file_or_directory)
                                            ? ZIP_ER_NOENT
                                            : ZIP_ER_OPEN);
        return false;
    }
    auto *state = new FileSource{std::move(*file), 0, {}};
    zip_error_init(&state->error);
    zip_error_t zerror;
    zip_error_init(&zerror);
    zip_source_t *source = zip_source_function_create(&FileSource::command, state, &zerror);
    if (source == nullptr) {
        zip_error_fini(&state->error);
        delete state;
    }
    zip *archive = source == nullptr ? nullptr : zip_open_from_source(source, ZIP_RDONLY, &zerror);
    if (archive == nullptr) {
        if (source != nullptr)
            zip_source_free(source); // not taken over by a failed open; frees the state
        error = openErrorText(fileName, zip_error_code_zip(&zerror));
        zip_error_fini(&zerror);
        return false;
    }
    zip_error_fini(&zerror);
    archive_.reset(archive);
    return true;
}

bool ZipReader::openArchive(const QByteArray &bytes, QString &error)
{
    closeArchive();
    memory_ = bytes;
    zip_error_t zerror;
    zip_error_init(&zerror);
    zip_source_t *source = zip_source_buffer_create(
        memory_.constData(), static_cast<zip_uint64_t>(memory_.size()), 0, &zerror);
    zip *archive = source == nullptr ? nullptr : zip_open_from_source(source, ZIP_RDONLY, &zerror);
    if (archive == nullptr) {
        if (source != nullptr)
            zip_source_free(source); // not taken over by a failed open
        error = openErrorText(QStringLiteral("v pamäti"), zip_error_code_zip(&zerror));
        zip_error_fini(&zerror);
        memory_.clear();
        return false;
    }
    zip_error_fini(&zerror);
    archive_.reset(archive);
    return true;
}

void ZipReader::closeArchive()
{
    archive_.reset();
    memory_.clear();
}

qint64 ZipReader::count() const
{
    return archive_ ? zip_get_num_entries(archive_.get(), 0) : 0;
}

std::optional<ZipEntry> ZipReader::entry(qint64 index, QString &error) const
{
    if (!archive_ || index < 0 || index >= count()) {
        error = texts::archiveEntryMissing(index);
        return std::nullopt;
    }
    const auto at = static_cast<zip_uint64_t>(index);
    ZipEntry result;
    result.index = index;

    const char *raw = zip_get_name(archive_.get(), at, ZIP_FL_ENC_RAW);
    const char *strict = zip_get_name(archive_.get(), at, ZIP_FL_ENC_STRICT);
    zip_stat_t st;
    zip_stat_init(&st);
    if (raw == nullptr || strict == nullptr || zip_stat_index(archive_.get(), at, 0, &st) != 0) {
        error = texts::archiveEntryNotRead(
            index, zipReason(zip_error_code_zip(zip_get_error(archive_.get()))));
        return std::nullopt;
    }
    result.rawName = QByteArray(raw);
    // Read strictly, a name without the UTF-8 mark comes back converted from the DOS code
    // page, so it differs from the stored bytes as soon as one of them is not ASCII.
    if (formats::isAscii(result.rawName.constData(), result.rawName.size())) {
        result.name = QString::fromLatin1(result.rawName);
    } else if (result.rawName == QByteArray(strict)) {
        result.utf8Name = true;
        result.name = QString::fromUtf8(result.rawName);
    } else {
        result.name = formats::decodeCodePage(formats::CodePage::Cp852, result.rawName);
    }
    result.isDirectory = result.rawName.endsWith('/') || result.rawName.endsWith('\\');

    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive_.get(), at, 0, &opsys, &attributes) == 0) {
        result.madeBy = opsys;
        result.externalAttributes = attributes;
    }
    constexpr quint32 kTypeMask = 0170000;
    constexpr quint32 kSymlink = 0120000;
    result.isSymlink = result.madeBy == ZIP_OPSYS_UNIX &&
                       ((result.externalAttributes >> 16) & kTypeMask) == kSymlink;
    result.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    result.encrypted =
        (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    return result;
}

std::optional<ZipReader::EntryData> ZipReader::openEntry(const ZipEntry &entry, QString &error)
{
    if (!archive_) {
        error = texts::archiveNotOpen();
        return std::nullopt;
    }
    if (entry.encrypted) {
        error = texts::entryEncrypted(entry.name);
        return std::nullopt;
    }
    zip_file *file = zip_fopen_index(archive_.get(), static_cast<zip_uint64_t>(entry.index), 0);
    if (file == nullptr) {
        const int code = zip_error_code_zip(zip_get_error(archive_.get()));
        error = code == ZIP_ER_COMPNOTSUPP ? texts::entryMethodUnsupported(entry.name)
                                           : texts::entryNotOpened(entry.name, zipReason(code));
        return std::nullopt;
    }
    return EntryData(file, entry.name, entry.size);
}

ZipReader::EntryData::EntryData(zip_file *file, QString name, quint64 declaredSize)
    : file_(file), name_(std::move(name)), declaredSize_(declaredSize)
{
}

ZipReader::EntryData::Status ZipReader::EntryData::read(char *buffer, qint64 size, qint64 &count)
{
    count = 0;
    if (!file_) {
        error_ = texts::entryNotOpen(name_);
        return Status::Failed;
    }
    const zip_int64_t n = zip_fread(file_.get(), buffer, static_cast<zip_uint64_t>(size));
    if (n > 0) {
        // Never more than the entry declares: a forged size cannot make it fill the disk.
        const quint64 room = declaredSize_ - delivered_;
        if (static_cast<quint64>(n) > room) {
            count = static_cast<qint64>(room);
            delivered_ = declaredSize_;
            error_ = texts::entrySizeWrong(name_);
            return Status::Corrupt;
        }
        delivered_ += static_cast<quint64>(n);
        count = n;
        return Status::Data;
    }
    if (n == 0)
        return Status::End;

    const int code = zip_error_code_zip(zip_file_get_error(file_.get()));
    switch (code) {
    case ZIP_ER_CRC:
        error_ = texts::entryChecksumWrong(name_);
        return Status::Corrupt;
    case ZIP_ER_INCONS:
        error_ = texts::entrySizeWrong(name_);
        return Status::Corrupt;
    case ZIP_ER_COMPRESSED_DATA:
    case ZIP_ER_ZLIB:
        error_ = texts::entryDataBroken(name_);
        return Status::Corrupt;
    case ZIP_ER_EOF:
        error_ = texts::entryIncomplete(name_);
        return Status::Corrupt;
    default:
        error_ = texts::entryDataNotRead(name_, zipReason(code));
        return Status::Failed;
    }
}

} // namespace menu::core
