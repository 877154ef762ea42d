// Writing unpacked files below one directory and nowhere else. Paths are given as lists of
// plain names (already checked: no "..", no separators, none empty), every existing folder
// on the way must be a real folder, and a symbolic link is never followed or made, so that
// nothing an archive holds, nor anything planted in the directory, redirects a write.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace menu::platform {

// The attributes an archive stores for an entry.
struct StoredAttributes {
    std::optional<quint32> unixMode; // permission bits, when the archive was made on Unix
    bool readOnly = false;           // the DOS read-only attribute
};

class UnpackDir {
  public:
    UnpackDir();
    ~UnpackDir();
    UnpackDir(const UnpackDir &) = delete;
    UnpackDir &operator=(const UnpackDir &) = delete;

    // Opens the existing directory path; it must not be a symbolic link.
    bool open(const QString &path, QString &error);
    QString path() const { return path_; }

    // Creates the folders of relative below the directory as needed.
    bool makeDirs(const QStringList &relative, QString &error);
    // Applies stored attributes to a folder; the owner keeps full access, so that a later
    // update can always write into it again.
    bool setDirAttributes(const QStringList &relative, const StoredAttributes &attributes,
                          QString &error);

    // A file being written; its folders must exist.
    class File {
      public:
        File(File &&other) noexcept;
        File &operator=(File &&other) noexcept;
        ~File();
        // Writes every byte or reports why not (a full disk, a size limit, ...).
        bool write(const char *data, qint64 size, QString &error);
        // Applies the attributes and closes the file; a failure of either is reported, as
        // the data may not have arrived. startFlush starts writing the data to the disk
        // without waiting for it (UnpackDir::flush waits).
        bool finish(const StoredAttributes &attributes, bool startFlush, QString &error);

      private:
        friend class UnpackDir;
        File(int fd, QString shownPath);
        int fd_ = -1;
        QString shownPath_;
    };

    // Waits until every file written below the directory, and the folders that name them,
    // are on the disk; a failure to get them there is reported.
    bool flush(QString &error);

    // Creates relative as a new, empty regular file. An existing file of that name is
    // replaced, also a read-only one; an existing folder of that name is an error.
    std::optional<File> createFile(const QStringList &relative, QString &error);

  private:
    int openDirAt(const QStringList &relative, qsizetype count, bool create, QString &error);
    QString shown(const QStringList &relative, qsizetype count) const;

    QString path_;
    int fd_ = -1;
};

} // namespace menu::platform
