#include "core/ZipReader.h"

#include <QFile>
#include <zip.h>

namespace menu::core {

namespace {

// Code page 852 (DOS Latin 2), the OEM code page of Slovak systems: characters 128 to 255.
// Kept here until a shared text-codec unit offers it.
constexpr char16_t kCp852High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7, //
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106, //
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A, //
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D, //
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E, //
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB, //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A, //
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510, //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103, //
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, //
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE, //
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580, //
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161, //
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4, //
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8, //
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0, //
};

bool isAscii(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

QString libzipText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

QString openErrorText(const QString &what, int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("Súbor ") + what + QStringLiteral(" nie je archív ZIP !");
    case ZIP_ER_NOENT:
    case ZIP_ER_OPEN:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
        return QStringLiteral("Archív ") + what + QStringLiteral(" sa nepodarilo otvoriť (") +
               libzipText(code) + QStringLiteral(") !");
    case ZIP_ER_MULTIDISK:
        return QStringLiteral("Archív ") + what +
               QStringLiteral(" je rozdelený na viac častí, čo nie je podporované !");
    default:
        return QStringLiteral("Archív ") + what + QStringLiteral(" je poškodený (") +
               libzipText(code) + QStringLiteral(") !");
    }
}

} // namespace

QString decodeOemName(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += byte < 0x80 ? QChar(byte) : QChar(kCp852High[byte - 0x80]);
    }
    return text;
}

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
    int code = 0;
    zip *archive = zip_open(QFile::encodeName(fileName).constData(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        error = openErrorText(fileName, code);
        return false;
    }
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
        error = QStringLiteral("Položka archívu ") + QString::number(index) +
                QStringLiteral(" neexistuje !");
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
        error = QStringLiteral("Položku archívu ") + QString::number(index) +
                QStringLiteral(" sa nepodarilo prečítať (") +
                QString::fromUtf8(zip_strerror(archive_.get())) + QStringLiteral(") !");
        return std::nullopt;
    }
    result.rawName = QByteArray(raw);
    // Read strictly, a name without the UTF-8 mark comes back converted from the DOS code
    // page, so it differs from the stored bytes as soon as one of them is not ASCII.
    if (isAscii(result.rawName)) {
        result.name = QString::fromLatin1(result.rawName);
    } else if (result.rawName == QByteArray(strict)) {
        result.utf8Name = true;
        result.name = QString::fromUtf8(result.rawName);
    } else {
        result.name = decodeOemName(result.rawName);
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
        error = QStringLiteral("Archív nie je otvorený !");
        return std::nullopt;
    }
    if (entry.encrypted) {
        error =
            QStringLiteral("Súbor ") + entry.name + QStringLiteral(" v archíve je zašifrovaný !");
        return std::nullopt;
    }
    zip_file *file = zip_fopen_index(archive_.get(), static_cast<zip_uint64_t>(entry.index), 0);
    if (file == nullptr) {
        const int code = zip_error_code_zip(zip_get_error(archive_.get()));
        if (code == ZIP_ER_COMPNOTSUPP)
            error = QStringLiteral("Súbor ") + entry.name +
                    QStringLiteral(" v archíve je komprimovaný nepodporovanou metódou !");
        else
            error = QStringLiteral("Súbor ") + entry.name +
                    QStringLiteral(" z archívu sa nepodarilo otvoriť (") +
                    QString::fromUtf8(zip_strerror(archive_.get())) + QStringLiteral(") !");
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
        error_ = QStringLiteral("Súbor ") + name_ + QStringLiteral(" z archívu nie je otvorený !");
        return Status::Failed;
    }
    const zip_int64_t n = zip_fread(file_.get(), buffer, static_cast<zip_uint64_t>(size));
    if (n > 0) {
        // Never more than the entry declares: a forged size cannot make it fill the disk.
        const quint64 room = declaredSize_ - delivered_;
        if (static_cast<quint64>(n) > room) {
            count = static_cast<qint64>(room);
            delivered_ = declaredSize_;
            error_ = QStringLiteral("Súbor ") + name_ +
                     QStringLiteral(" v archíve je poškodený (nesúhlasí veľkosť) !");
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
        error_ = QStringLiteral("Súbor ") + name_ +
                 QStringLiteral(" v archíve je poškodený (nesúhlasí kontrolný súčet) !");
        return Status::Corrupt;
    case ZIP_ER_INCONS:
        error_ = QStringLiteral("Súbor ") + name_ +
                 QStringLiteral(" v archíve je poškodený (nesúhlasí veľkosť) !");
        return Status::Corrupt;
    case ZIP_ER_COMPRESSED_DATA:
    case ZIP_ER_ZLIB:
        error_ = QStringLiteral("Súbor ") + name_ +
                 QStringLiteral(" v archíve je poškodený (chybné komprimované údaje) !");
        return Status::Corrupt;
    case ZIP_ER_EOF:
        error_ = QStringLiteral("Súbor ") + name_ + QStringLiteral(" v archíve je neúplný !");
        return Status::Corrupt;
    default:
        error_ = QStringLiteral("Súbor ") + name_ +
                 QStringLiteral(" z archívu sa nepodarilo prečítať (") +
                 QString::fromUtf8(zip_error_strerror(zip_file_get_error(file_.get()))) +
                 QStringLiteral(") !");
        return Status::Failed;
    }
}

} // namespace menu::core
