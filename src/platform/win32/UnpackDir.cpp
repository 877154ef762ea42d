#include "platform/UnpackDir.h"

#include "platform/win32/FileTimes.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"

#include <QDir>

#include <algorithm>
#include <cerrno>

namespace menu::platform {

using win32::failureOf;
using win32::lastFailure;
using win32::UniqueHandle;
using win32::wide;

namespace {

// A folder on the way must be a real one: a symbolic link or a junction would redirect what
// is written below it.
Status realFolder(const QString &path, const QString &shown)
{
    const DWORD attributes = win32::attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastFailure(shown);
    if (!win32::isFolder(attributes) || win32::isReparsePoint(attributes))
        return Failure::errnoValue(ENOTDIR, shown);
    return {};
}

} // namespace

// The directory stays open without FILE_SHARE_DELETE, so that nobody can rename it away and
// put another in its place while files are written below it.
struct UnpackDir::Native {
    UniqueHandle dir;

    Status walk(const UnpackDir &owner, const QStringList &relative, qsizetype count,
                bool create) const
    {
        for (qsizetype i = 0; i < count; ++i) {
            const QString path = owner.shown(relative.mid(0, i + 1));
            if (create && !::CreateDirectoryW(wide(path).c_str(), nullptr) &&
                ::GetLastError() != ERROR_ALREADY_EXISTS)
                return lastFailure(path);
            if (Status real = realFolder(path, path); !real.ok())
                return real;
        }
        return {};
    }
};

struct UnpackDir::File::Native {
    UniqueHandle file;
};

UnpackDir::UnpackDir(std::unique_ptr<Native> native, QString path)
    : native_(std::move(native)), path_(std::move(path))
{
}
UnpackDir::UnpackDir(UnpackDir &&) noexcept = default;
UnpackDir &UnpackDir::operator=(UnpackDir &&) noexcept = default;
UnpackDir::~UnpackDir() = default;

Result<UnpackDir> UnpackDir::open(const QString &path)
{
    if (Status real = realFolder(path, path); !real.ok())
        return real.failure();
    auto native = std::make_unique<Native>();
    native->dir.reset(::CreateFileW(
        wide(path).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!native->dir.valid())
        return lastFailure(path);
    return UnpackDir(std::move(native), QDir::fromNativeSeparators(path));
}

QString UnpackDir::shown(const QStringList &relative) const
{
    QString text = path_;
    for (const QString &name : relative)
        text += QLatin1Char('/') + name;
    return text;
}

Status UnpackDir::makeDirs(const QStringList &relative)
{
    return native_->walk(*this, relative, relative.size(), true);
}

Status UnpackDir::setDirAttributes(const QStringList &relative, const StoredAttributes &)
{
    // A folder's read-only attribute only marks it for the shell; it stays writable, so there
    // is nothing to apply. The folder must still be a real one.
    return native_->walk(*this, relative, relative.size(), false);
}

// Each file is flushed as it is closed (Windows has no write-back that can be started
// without waiting for it); the folder entries are in the file system's journal.
Status UnpackDir::flush()
{
    return {};
}

Result<UnpackDir::File> UnpackDir::createFile(const QStringList &relative)
{
    if (relative.isEmpty())
        return Failure::errnoValue(EINVAL, path_);
    if (Status parents = native_->walk(*this, relative, relative.size() - 1, false); !parents.ok())
        return parents.failure();
    const QString shownPath = shown(relative);
    const std::wstring native = wide(shownPath);
    // Removing the old entry first replaces a read-only file as well, and a link (not what it
    // points to); a new file is then made where nothing can be in the way.
    const DWORD attributes = ::GetFileAttributesW(native.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (win32::isFolder(attributes) && !win32::isReparsePoint(attributes))
            return Failure::errnoValue(EISDIR, shownPath);
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
            ::SetFileAttributesW(native.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
        const BOOL removed = win32::isFolder(attributes) ? ::RemoveDirectoryW(native.c_str())
                                                         : ::DeleteFileW(native.c_str());
        if (!removed)
            return lastFailure(shownPath);
    }
    auto file = std::make_unique<File::Native>();
    file->file.reset(::CreateFileW(native.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file->file.valid())
        return lastFailure(shownPath);
    return File(std::move(file), shownPath);
}

UnpackDir::File::File(std::unique_ptr<Native> native, QString shownPath)
    : native_(std::move(native)), shownPath_(std::move(shownPath))
{
}
UnpackDir::File::File(File &&) noexcept = default;
UnpackDir::File &UnpackDir::File::operator=(File &&) noexcept = default;
UnpackDir::File::~File() = default;

Status UnpackDir::File::write(const char *data, qint64 size)
{
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<qint64>(size, 1 << 30));
        DWORD put = 0;
        if (!::WriteFile(native_->file.get(), data, chunk, &put, nullptr))
            return lastFailure(shownPath_);
        if (put == 0)
            return failureOf(ERROR_HANDLE_DISK_FULL, shownPath_);
        data += put;
        size -= put;
    }
    return {};
}

// Windows keeps one permission of its own for a file: the read-only attribute. An archive's
// read-only mark, or Unix permission bits without the owner's write bit, set it.
Status UnpackDir::File::applyAttributes(const StoredAttributes &attributes)
{
    if (!native_->file.valid())
        return Failure::errnoValue(EBADF, shownPath_);
    const bool readOnly =
        attributes.readOnly || (attributes.unixMode && (*attributes.unixMode & 0200) == 0);
    if (!readOnly)
        return {};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(native_->file.get(), FileBasicInfo, &basic, sizeof basic))
        return lastFailure(shownPath_);
    basic.FileAttributes |= FILE_ATTRIBUTE_READONLY;
    if (!::SetFileInformationByHandle(native_->file.get(), FileBasicInfo, &basic, sizeof basic))
        return lastFailure(shownPath_);
    return {};
}

Status UnpackDir::File::close(bool startFlush)
{
    UniqueHandle file = std::move(native_->file);
    if (!file.valid())
        return Failure::errnoValue(EBADF, shownPath_);
    if (startFlush && !::FlushFileBuffers(file.get()))
        return lastFailure(shownPath_);
    if (const DWORD error = file.close(); error != 0)
        return failureOf(error, shownPath_);
    return {};
}

} // namespace menu::platform
