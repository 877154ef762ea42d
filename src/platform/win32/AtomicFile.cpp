#include "platform/AtomicFile.h"

#include "platform/LeftoverTemporaries.h"
#include "platform/win32/FileTimes.h"
#include "platform/win32/Ownership.h"
#include "platform/win32/RemoveTree.h"
#include "platform/win32/SetAside.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"

#include <QDir>

#include <algorithm>
#include <cerrno>

namespace menu::platform {

using win32::failureOf;
using win32::UniqueHandle;
using win32::wide;

namespace {

// The file a link (a symbolic link or a junction on the way) at path names; path itself when
// it is none, or a dangling one, which is then replaced like a missing file. Only this user's
// and the administrators' links are followed: anyone else's (one planted in a shared folder)
// is replaced like a file, never written through.
QString linkTarget(const QString &path)
{
    if (!win32::isReparsePoint(win32::attributesOf(path)))
        return path;
    if (const win32::Owner owner = win32::ownerOf(path);
        owner != win32::Owner::User && owner != win32::Owner::Administration)
        return path;
    const UniqueHandle file(
        ::CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid())
        return path;
    wchar_t buffer[32768];
    const DWORD length =
        ::GetFinalPathNameByHandleW(file.get(), buffer, 32768, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= 32768)
        return path;
    QString target = QString::fromWCharArray(buffer, static_cast<qsizetype>(length));
    if (target.startsWith(QLatin1String("\\\\?\\UNC\\")))
        target = QStringLiteral("\\\\") + target.mid(8);
    else if (target.startsWith(QLatin1String("\\\\?\\")))
        target = target.mid(4);
    return QDir::fromNativeSeparators(target);
}

// Puts the new file at from in the place of the file at target after Wine's ReplaceFileW left
// a gap: it moves the replaced file away before it moves the new one in, and a program that
// found no file in between may have made one there (an older launcher on another seat, which
// locked menu.ini itself and created it when missing). Wine renames nothing over a file that is
// open, so the intruder is moved away in its turn. Windows' own ReplaceFileW leaves no gap and
// never comes here.
bool moveIntoGap(const QString &from, const QString &target)
{
    constexpr int kAttempts = 100; // each retry means yet another locker came in between
    const std::wstring source = wide(from);
    const std::wstring to = wide(target);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (::MoveFileExW(source.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const std::wstring aside = wide(win32::temporarySibling(target, QStringLiteral("old")));
        if (::MoveFileExW(to.c_str(), aside.c_str(), 0)) {
            ::DeleteFileW(aside.c_str());
            if (::MoveFileExW(source.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
                return true;
        }
    }
    return false;
}

// Removes this user's leftovers of earlier writes of target beside it, old enough that no
// writer can still be at work on them. Links, folders and anyone else's stay.
void removeLeftovers(const QString &target)
{
    const QString path = QDir::fromNativeSeparators(target);
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString dir = slash < 0 ? QStringLiteral(".") : path.left(slash);
    const QString name = path.mid(slash + 1);
    const Result<QStringList> names = directoryEntries(dir);
    if (!names.ok())
        return;
    const std::int64_t bound =
        stampClockNs() - std::int64_t{kLeftoverTemporaryAge.count()} * 1000000000;
    for (const QString &entry : *names) {
        if (!isLeftoverTemporary(entry, name, Qt::CaseInsensitive))
            continue;
        const QString leftover = dir + u'/' + entry;
        const UniqueHandle file = win32::openForRemoval(leftover);
        const std::optional<FileStamp> stamp =
            file.valid() ? win32::stampOf(file.get()) : std::nullopt;
        const auto attributes = static_cast<DWORD>(stamp ? stamp->mode : INVALID_FILE_ATTRIBUTES);
        if (stamp && !win32::isFolder(attributes) && !win32::isReparsePoint(attributes) &&
            stamp->modifiedNs < bound && win32::ownerOf(file.get()) == win32::Owner::User)
            win32::removeOpened(file.get(), leftover);
    }
}

} // namespace

struct AtomicFile::Native {
    QString target;
    QString temporary;
    QString shownTarget;
    UniqueHandle file;
    bool durable = false;
    bool keepMode = true;
    bool setAsideInUse = false;

    ~Native()
    {
        if (file.valid() || !temporary.isEmpty()) {
            file.reset();
            ::DeleteFileW(wide(temporary).c_str());
        }
    }
    Failure failed(DWORD error)
    {
        file.reset();
        ::DeleteFileW(wide(temporary).c_str());
        temporary.clear();
        return failureOf(error, shownTarget);
    }
};

namespace {

// After a replace failed with error: where the options allow it and the target may be in use,
// the new content takes its place by moving it aside. 0 once it is in place, else the error to
// report.
DWORD setAside(bool allowed, const QString &from, const QString &target, DWORD error)
{
    if (!allowed || !win32::mayBeInUse(error))
        return error;
    return win32::replaceInUse(from, target);
}

} // namespace

AtomicFile::AtomicFile(std::unique_ptr<Native> native) : native_(std::move(native)) {}
AtomicFile::AtomicFile(AtomicFile &&) noexcept = default;
AtomicFile &AtomicFile::operator=(AtomicFile &&) noexcept = default;
AtomicFile::~AtomicFile() = default;

Result<AtomicFile> AtomicFile::begin(const QString &target, const Options &options)
{
    auto native = std::make_unique<Native>();
    native->shownTarget = target;
    native->durable = options.durable;
    native->keepMode = options.keepMode;
    native->setAsideInUse = options.setAsideInUse;
    native->target = options.followLink ? linkTarget(target) : target;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && !native->file.valid(); ++attempt) {
        native->temporary = win32::temporarySibling(native->target, QStringLiteral("tmp"));
        native->file.reset(::CreateFileW(wide(native->temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!native->file.valid())
            error = ::GetLastError();
        if (!native->file.valid() && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (!native->file.valid()) {
        native->temporary.clear();
        return failureOf(error, target);
    }
    removeLeftovers(native->target);
    return AtomicFile(std::move(native));
}

Status AtomicFile::write(const char *data, qint64 size)
{
    if (!native_->file.valid())
        return Failure::errnoValue(EBADF, native_->shownTarget);
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<qint64>(size, 1 << 30));
        DWORD put = 0;
        if (!::WriteFile(native_->file.get(), data, chunk, &put, nullptr))
            return native_->failed(::GetLastError());
        if (put == 0)
            return native_->failed(ERROR_HANDLE_DISK_FULL);
        data += put;
        size -= put;
    }
    return {};
}

// ReplaceFileW carries the replaced file's attributes, security and creation time over to the
// new content, as keepMode asks; a new target (or keepMode off) is a plain rename over it.
Status AtomicFile::commit()
{
    Native &n = *native_;
    if (!n.file.valid())
        return Failure::errnoValue(EBADF, n.shownTarget);
    if (n.durable && !::FlushFileBuffers(n.file.get()))
        return n.failed(::GetLastError());
    if (const DWORD error = n.file.close(); error != 0)
        return n.failed(error);
    const std::wstring from = wide(n.temporary);
    const std::wstring to = wide(n.target);
    const DWORD old = ::GetFileAttributesW(to.c_str());
    const bool replaceKeeping =
        n.keepMode && old != INVALID_FILE_ATTRIBUTES && !win32::isFolder(old);
    // A file in use goes aside before anything tries to replace it: Wine's ReplaceFileW would
    // leave a copy of its own behind.
    if (n.setAsideInUse && old != INVALID_FILE_ATTRIBUTES && win32::isInUse(n.target)) {
        if (const DWORD error = win32::replaceInUse(n.temporary, n.target); error != 0)
            return n.failed(error);
    } else if (replaceKeeping) {
        if (!::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                            nullptr, nullptr)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
                if (!moveIntoGap(n.temporary, n.target))
                    return n.failed(error);
            } else if (const DWORD aside = setAside(n.setAsideInUse, n.temporary, n.target, error);
                       aside != 0) {
                return n.failed(aside);
            }
        }
        // The attributes are set once more: not every ReplaceFileW carries them (Wine's keeps
        // only the content), and a hidden or system file must stay so.
        constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        const DWORD now = ::GetFileAttributesW(to.c_str());
        if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (old & kKept))
            ::SetFileAttributesW(to.c_str(), (now & ~kKept) | (old & kKept));
    } else if (!::MoveFileExW(from.c_str(), to.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        if (const DWORD aside = setAside(n.setAsideInUse, n.temporary, n.target, ::GetLastError());
            aside != 0)
            return n.failed(aside);
    }
    n.temporary.clear();
    return {};
}

void removeSetAsideCopies(const QString &target)
{
    win32::removeSetAside(target);
}

QString AtomicFile::target() const
{
    return native_->target;
}

} // namespace menu::platform
