#include "platform/PrivateDir.h"

#include "platform/win32/FileTimes.h"
#include "platform/win32/Ownership.h"
#include "platform/win32/RemoveTree.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"

#include <QDir>
#include <QRandomGenerator>

#include <windows.h>
#include <sddl.h>

namespace menu::platform {

using win32::failureOf;
using win32::lastFailure;
using win32::UniqueHandle;
using win32::wide;

namespace {

constexpr qsizetype kRandomChars = 6;

// The security descriptor of a private directory: a protected list (nothing inherited from the
// shared parent) that gives its owner, and what the owner creates inside, full access.
struct PrivateSecurity {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES attributes{};
    PrivateSecurity()
    {
        if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(
                L"D:P(A;OICI;FA;;;OW)(A;OICI;FA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr)) {
            attributes.nLength = sizeof attributes;
            attributes.lpSecurityDescriptor = descriptor;
        }
    }
    ~PrivateSecurity() { ::LocalFree(descriptor); }
    PrivateSecurity(const PrivateSecurity &) = delete;
    PrivateSecurity &operator=(const PrivateSecurity &) = delete;
    SECURITY_ATTRIBUTES *get() { return descriptor == nullptr ? nullptr : &attributes; }
};

// The private directory at path as it is now, opened for removal: nothing when it is gone,
// a link, or not a folder.
struct Opened {
    UniqueHandle entry;
    FileStamp stamp;
};
std::optional<Opened> openFolder(const QString &path)
{
    Opened opened{win32::openForRemoval(path), {}};
    if (!opened.entry.valid())
        return std::nullopt;
    const std::optional<FileStamp> stamp = win32::stampOf(opened.entry.get());
    if (!stamp || !win32::isFolder(static_cast<DWORD>(stamp->mode)) ||
        win32::isReparsePoint(static_cast<DWORD>(stamp->mode)))
        return std::nullopt;
    opened.stamp = *stamp;
    return opened;
}

// Made by this user and closed to everybody but this user, the system and the administrators:
// a volume that keeps no access lists (or drops the one asked for) is no place for it.
bool privateEnough(HANDLE folder)
{
    return win32::ownerOf(folder) == win32::Owner::User && win32::onlyOwnersAllowed(folder);
}

} // namespace

struct PrivateDir::Native {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool kept = false;
    bool removed = false;
};

PrivateDir::PrivateDir(std::unique_ptr<Native> native, QString path)
    : native_(std::move(native)), path_(std::move(path))
{
}
PrivateDir::PrivateDir(PrivateDir &&) noexcept = default;
PrivateDir &PrivateDir::operator=(PrivateDir &&other) noexcept
{
    if (this != &other) {
        if (native_ != nullptr && !native_->kept)
            (void)remove();
        native_ = std::move(other.native_);
        path_ = std::move(other.path_);
    }
    return *this;
}

PrivateDir::~PrivateDir()
{
    if (native_ != nullptr && !native_->kept)
        (void)remove();
}

Result<PrivateDir> PrivateDir::create(const QString &parent, const QString &prefix)
{
    const DWORD shared = win32::attributesOf(parent);
    if (shared == INVALID_FILE_ATTRIBUTES)
        return lastFailure(parent);
    if (!win32::isFolder(shared))
        return Failure::errnoValue(ENOTDIR, parent);
    static const QString kLetters = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
    PrivateSecurity security;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString name = prefix;
        for (qsizetype i = 0; i < kRandomChars; ++i)
            name +=
                kLetters[QRandomGenerator::system()->bounded(static_cast<int>(kLetters.size()))];
        const QString path = QDir::fromNativeSeparators(parent) + u'/' + name;
        if (!::CreateDirectoryW(wide(path).c_str(), security.get())) {
            if (::GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return lastFailure(parent);
        }
        std::optional<Opened> made = openFolder(path);
        if (!made) {
            const Failure failure = lastFailure(path);
            ::RemoveDirectoryW(wide(path).c_str());
            return failure;
        }
        if (!privateEnough(made->entry.get())) {
            win32::removeOpened(made->entry.get(), path);
            return Failure::errnoValue(EPERM, path);
        }
        auto native = std::make_unique<Native>();
        native->volume = made->stamp.device;
        native->index = made->stamp.inode;
        return PrivateDir(std::move(native), path);
    }
    return failureOf(ERROR_ALREADY_EXISTS, parent);
}

void PrivateDir::keep()
{
    if (native_ != nullptr)
        native_->kept = true;
}

Status PrivateDir::remove()
{
    if (native_ == nullptr || native_->removed)
        return {};
    const std::optional<Opened> opened = openFolder(path_);
    if (!opened) {
        if (!exists(path_)) {
            native_->removed = true;
            return {};
        }
        return Failure::errnoValue(ENOTDIR, path_);
    }
    if (opened->stamp.device != native_->volume || opened->stamp.inode != native_->index)
        return Failure::errnoValue(EPERM, path_); // not the one made
    if (const DWORD error = win32::removeOpened(opened->entry.get(), path_); error != 0)
        return failureOf(error, path_);
    native_->removed = true;
    return {};
}

int removeStalePrivateDirs(const QString &parent, const QString &prefix,
                           std::chrono::seconds minAge)
{
    const Result<QStringList> names = directoryEntries(parent);
    if (!names.ok())
        return 0;
    const std::int64_t before = stampClockNs() - std::int64_t{minAge.count()} * 1000000000;
    int removed = 0;
    for (const QString &name : *names) {
        if (!name.startsWith(prefix, Qt::CaseInsensitive) ||
            name.size() != prefix.size() + kRandomChars)
            continue;
        const QString path = QDir::fromNativeSeparators(parent) + u'/' + name;
        // Only this user's own: another user's folder (or a link) under a shared parent stays.
        const std::optional<Opened> opened = openFolder(path);
        if (!opened || opened->stamp.modifiedNs > before ||
            win32::ownerOf(opened->entry.get()) != win32::Owner::User)
            continue;
        if (win32::removeOpened(opened->entry.get(), path) == 0)
            ++removed;
    }
    return removed;
}

} // namespace menu::platform
