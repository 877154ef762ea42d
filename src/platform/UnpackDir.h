// Writing unpacked files below one directory and nowhere else. Paths are given as lists of
// plain names (already checked: no "..", no separators, none empty), every existing folder
// on the way must be a real folder, and a symbolic link is never followed or made, so that
// nothing an archive holds, nor anything planted in the directory, redirects a write.
// Failures name the file or folder concerned as the user would see it.
#pragma once

#include "formats/Result.h"

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
    // Opens the existing directory path; it must not be a symbolic link.
    static Result<UnpackDir> open(const QString &path);
    UnpackDir(UnpackDir &&) noexcept;
    UnpackDir &operator=(UnpackDir &&) noexcept;
    ~UnpackDir();

    QString path() const { return path_; }
    // relative below the directory, as the user sees it.
    QString shown(const QStringList &relative) const;

    // Creates the folders of relative below the directory as needed. ENOTDIR when something
    // in the way is no folder (a file, or a link).
    Status makeDirs(const QStringList &relative);
    // Applies stored attributes to a folder; the owner keeps full access, so that a later
    // update can always write into it again.
    Status setDirAttributes(const QStringList &relative, const StoredAttributes &attributes);

    // A file being written; its folders must exist.
    class File {
      public:
        File(File &&other) noexcept;
        File &operator=(File &&other) noexcept;
        ~File();
        // Writes every byte or reports why not (a full disk, a size limit, ...).
        Status write(const char *data, qint64 size);
        // Applies the attributes (the umask limits them, set-id bits are never taken over).
        Status applyAttributes(const StoredAttributes &attributes);
        // Closes the file; a failure is reported, as the data may not have arrived.
        // startFlush starts writing the data to the disk without waiting for it
        // (UnpackDir::flush waits).
        Status close(bool startFlush);

      private:
        friend class UnpackDir;
        struct Native;
        File(std::unique_ptr<Native> native, QString shownPath);
        std::unique_ptr<Native> native_;
        QString shownPath_;
    };

    // Creates relative as a new, empty regular file. An existing file of that name is
    // replaced, also a read-only one; an existing folder of that name gives EISDIR.
    Result<File> createFile(const QStringList &relative);

    // Waits until every file written below the directory, and the folders that name them,
    // are on the disk; a failure to get them there is reported.
    Status flush();

  private:
    struct Native;
    UnpackDir(std::unique_ptr<Native> native, QString path);
    std::unique_ptr<Native> native_;
    QString path_;
};

} // namespace menu::platform
