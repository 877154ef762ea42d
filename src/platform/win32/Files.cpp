#include "platform/Files.h"
#include "platform/FileReading.h"

#include "platform/win32/FileTimes.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>

namespace menu::platform {

using win32::attributesOf;
using win32::failureOf;
using win32::isFolder;
using win32::lastFailure;
using win32::UniqueHandle;
using win32::wide;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens a regular file for reading. A directory gives EISDIR, and anything that is not a
// file on a disk (a pipe, a console, a device) EINVAL, so that nothing can hang a read.
Result<UniqueHandle> openRegular(const QString &path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastFailure(path);
    if (isFolder(attributes))
        return Failure::errnoValue(EISDIR, path);
    UniqueHandle file(::CreateFileW(wide(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return lastFailure(path);
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        return Failure::errnoValue(EINVAL, path);
    return file;
}

// Opens anything for its attributes only: a directory too, and without following a link
// when asked.
UniqueHandle openForStamp(const QString &path)
{
    return UniqueHandle(::CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool hasWildcards(const QString &name)
{
    return name.contains(u'*') || name.contains(u'?');
}

} // namespace

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString temporaryDirectory()
{
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        return QDir::tempPath();
    QString path = QDir::fromNativeSeparators(QString::fromWCharArray(buffer, length));
    while (path.size() > 3 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

QString userDataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/orvan-menu");
}

bool isFile(const QString &path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !isFolder(attributes);
}

bool exists(const QString &path)
{
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool isDirectory(const QString &path)
{
    return isFolder(attributesOf(path));
}

Result<StampedContent> readStampedFile(const QString &path, qint64 maxBytes)
{
    Result<UniqueHandle> file = openRegular(path);
    if (!file.ok())
        return file.failure();
    const std::optional<FileStamp> stamp = win32::stampOf(file->get());
    if (!stamp)
        return lastFailure(path);
    const HANDLE handle = file->get();
    const auto read = [&](char *buffer, qint64 size) -> Result<qint64> {
        DWORD got = 0;
        if (!::ReadFile(handle, buffer, static_cast<DWORD>(size), &got, nullptr))
            return lastFailure(path);
        return qint64{got};
    };
    return readToEnd(read, *stamp, maxBytes, path);
}

std::optional<FileStamp> fileStamp(const QString &path)
{
    const UniqueHandle handle = openForStamp(path);
    if (!handle.valid())
        return std::nullopt;
    return win32::stampOf(handle.get());
}

std::int64_t stampClockNs()
{
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    return win32::unixNs(now);
}

Result<QStringList> directoryEntries(const QString &dir)
{
    WIN32_FIND_DATAW found{};
    const win32::UniqueFind search(::FindFirstFileExW(wide(dir + QStringLiteral("/*")).c_str(),
                                                      FindExInfoBasic, &found,
                                                      FindExSearchNameMatch, nullptr, 0));
    if (!search.valid())
        return lastFailure(dir);
    QStringList names;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    } while (::FindNextFileW(search.get(), &found));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES)
        return failureOf(error, dir);
    return names;
}

// Names on Windows file systems are case-blind by nature: the system finds the entry whatever
// the case it is asked in. How the name is stored is read from the folder's listing, since a
// search for one name may answer in the case of the question (as Wine's does).
std::optional<QString> entryWithoutCase(const QString &dir, const QString &name, std::int64_t)
{
    if (name.isEmpty() || hasWildcards(name))
        return std::nullopt;
    const QString path = dir.endsWith(u'/') || dir.endsWith(u'\\') ? dir + name : dir + u'/' + name;
    if (!exists(path))
        return std::nullopt;
    const std::wstring wanted = name.toStdWString();
    if (const Result<QStringList> names = directoryEntries(dir); names.ok()) {
        for (const QString &stored : *names) {
            const std::wstring candidate = stored.toStdWString();
            if (::CompareStringOrdinal(candidate.c_str(), static_cast<int>(candidate.size()),
                                       wanted.c_str(), static_cast<int>(wanted.size()),
                                       TRUE) == CSTR_EQUAL)
                return stored;
        }
    }
    return name; // found by its short (8.3) name, or in a folder that cannot be listed
}

Status writeNewFile(const QString &path, const QByteArray &bytes)
{
    const QString temporary = win32::temporarySibling(path, QStringLiteral("new"));
    UniqueHandle file(::CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return lastFailure(path);
    const auto fail = [&](DWORD error) {
        file.reset();
        ::DeleteFileW(wide(temporary).c_str());
        return failureOf(error, path);
    };
    for (qsizetype done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<qsizetype>(bytes.size() - done, 1 << 30));
        DWORD put = 0;
        if (!::WriteFile(file.get(), bytes.constData() + done, chunk, &put, nullptr))
            return fail(::GetLastError());
        done += put;
    }
    if (!::FlushFileBuffers(file.get()))
        return fail(::GetLastError());
    if (const DWORD error = file.close(); error != 0)
        return fail(error);
    // Without MOVEFILE_REPLACE_EXISTING the name is taken only where it is free.
    if (!::MoveFileExW(wide(temporary).c_str(), wide(path).c_str(), MOVEFILE_WRITE_THROUGH))
        return fail(::GetLastError());
    return {};
}

Status removeFile(const QString &path)
{
    if (!::DeleteFileW(wide(path).c_str()))
        return lastFailure(path);
    return {};
}

Status makeDirectories(const QString &dir)
{
    const QString normal = QDir::fromNativeSeparators(dir);
    QString path;
    for (const QString &part : normal.split(u'/')) {
        path += part;
        // The drive ("C:") and the empty parts of "//server/share" are no folders to make.
        const bool made = part.isEmpty() || part.endsWith(u':') || isDirectory(path) ||
                          ::CreateDirectoryW(wide(path).c_str(), nullptr) ||
                          ::GetLastError() == ERROR_ALREADY_EXISTS;
        if (!made)
            return lastFailure(path);
        path += u'/';
    }
    if (!isDirectory(dir))
        return Failure::errnoValue(ENOTDIR, dir);
    return {};
}

Status mayReplace(const QString &path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return lastFailure(path);
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return Failure::errnoValue(EACCES, path);
    // The file's own permissions answer only when it is opened for writing.
    const UniqueHandle file(::CreateFileW(wide(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid())
        return lastFailure(path);
    return {};
}

std::optional<qint64> freeBytes(const QString &dir)
{
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(wide(dir).c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return static_cast<qint64>(available.QuadPart);
}

struct ReadOnlyFile::Native {
    UniqueHandle file;
};

ReadOnlyFile::ReadOnlyFile(std::unique_ptr<Native> native, std::uint64_t size)
    : native_(std::move(native)), size_(size)
{
}
ReadOnlyFile::ReadOnlyFile(ReadOnlyFile &&) noexcept = default;
ReadOnlyFile &ReadOnlyFile::operator=(ReadOnlyFile &&) noexcept = default;
ReadOnlyFile::~ReadOnlyFile() = default;

Result<ReadOnlyFile> ReadOnlyFile::open(const QString &path)
{
    Result<UniqueHandle> file = openRegular(path);
    if (!file.ok())
        return file.failure();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file->get(), &size))
        return lastFailure(path);
    auto native = std::make_unique<Native>();
    native->file = std::move(*file);
    return ReadOnlyFile(std::move(native),
                        static_cast<std::uint64_t>(std::max<LONGLONG>(size.QuadPart, 0)));
}

bool ReadOnlyFile::readAt(std::uint64_t offset, char *into, std::size_t length) const
{
    std::size_t done = 0;
    while (done < length) {
        // A read with an offset of its own: readers on several threads never share a position.
        OVERLAPPED at{};
        const std::uint64_t position = offset + done;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFF);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length - done, 1 << 30));
        DWORD got = 0;
        if (!::ReadFile(native_->file.get(), into + done, chunk, &got, &at) || got == 0)
            return false; // an error, or the file shrank under us
        done += got;
    }
    return true;
}

} // namespace menu::platform
