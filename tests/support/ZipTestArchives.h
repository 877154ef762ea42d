// Archives for the unpacking tests, made at test time by the zip tool or by libzip.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <list>

struct zip;

namespace menu::test {

// Runs the zip tool in dir with args; true when it succeeded.
bool runZipTool(const QString &dir, const QStringList &args);

// Builds an archive entry by entry with libzip; written by close().
class ZipWriter {
  public:
    explicit ZipWriter(const QString &path);
    ~ZipWriter();
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    enum class Method { Store, Deflate };
    enum class Name {
        Guess,
        Utf8
    }; // Guess: bytes stored as given, without the UTF-8 flag
       // unless libzip recognises UTF-8

    // Adds a file entry named by the raw bytes name; returns its index.
    qint64 add(const QByteArray &name, const QByteArray &data, Method method = Method::Deflate,
               Name naming = Name::Guess);
    void addDir(const QByteArray &name);
    // Stores Unix attributes (type and permission bits) for the entry.
    void setUnixMode(qint64 index, quint32 mode);
    void setDosAttributes(qint64 index, quint32 attributes);
    bool close();

  private:
    zip *archive_ = nullptr;
    std::list<QByteArray> data_; // kept until the archive is written
};

// Sets or clears the UTF-8 flag (bit 11) in every local and central header of the archive.
void setUtf8Flag(QByteArray &archive, bool on);
// Replaces the declared uncompressed size of every entry (local and central headers).
void setDeclaredSize(QByteArray &archive, quint32 size);

} // namespace menu::test
