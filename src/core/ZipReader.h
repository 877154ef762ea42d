// Reading ZIP archives: one archive open at a time, its entries, and each entry's data in
// blocks, so that memory does not grow with the size of an entry.
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

struct zip;
struct zip_file;

namespace menu::core {

// One entry of the archive's central directory, as the archive stores it.
struct ZipEntry {
    qint64 index = 0;
    QByteArray rawName;    // the stored name bytes
    bool utf8Name = false; // the name is marked as UTF-8 (flag or Unicode path field)
    // The name as text: UTF-8 when marked so, otherwise the OEM code page 852, which is
    // what archives made on a Slovak DOS or Windows system hold.
    QString name;
    bool isDirectory = false; // the name ends with a separator
    bool isSymlink = false;   // Unix attributes that say symbolic link
    quint8 madeBy = 0;        // the system whose attributes are stored (ZIP_OPSYS_*)
    quint32 externalAttributes = 0;
    quint64 size = 0; // declared uncompressed size
    bool encrypted = false;
};

class ZipReader {
  public:
    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader &) = delete;
    ZipReader &operator=(const ZipReader &) = delete;

    // True while an archive is open.
    bool active() const { return archive_ != nullptr; }

    // Opens the archive file for reading; on failure error says why (in Slovak, for the user).
    bool openArchive(const QString &fileName, QString &error);
    // Opens an archive held in memory (the bytes are kept while it is open).
    bool openArchive(const QByteArray &bytes, QString &error);
    // Closes the open archive, if any, and releases the file.
    void closeArchive();

    qint64 count() const;
    std::optional<ZipEntry> entry(qint64 index, QString &error) const;

    struct FileCloser {
        void operator()(zip_file *file) const;
    };

    // The uncompressed data of one entry.
    class EntryData {
      public:
        enum class Status { Data, End, Corrupt, Failed };
        // Reads up to size bytes into buffer and sets count. Corrupt: the data failed its
        // check (checksum, compressed stream, declared size); whatever came before is valid
        // output of the entry. Failed: it cannot be read at all; error() says why.
        Status read(char *buffer, qint64 size, qint64 &count);
        QString error() const { return error_; }

      private:
        friend class ZipReader;
        EntryData(zip_file *file, QString name, quint64 declaredSize);
        std::unique_ptr<zip_file, FileCloser> file_;
        QString name_;
        quint64 declaredSize_ = 0;
        quint64 delivered_ = 0;
        QString error_;
    };

    std::optional<EntryData> openEntry(const ZipEntry &entry, QString &error);

  private:
    struct ArchiveCloser {
        void operator()(zip *archive) const;
    };
    std::unique_ptr<zip, ArchiveCloser> archive_;
    QByteArray memory_; // backing store of an archive opened from memory
};

} // namespace menu::core
