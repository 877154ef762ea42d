#include "platform/PrivateDir.h"

#include "platform/win32/FileTimes.h"
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
constexpr int kMaxDepth = 128;

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

// The volume and index of the directory at path itself, never of what a link names.
std::optional<std::pair<std::uint64_t, std::uint64_t>> identityOf(const QString &path)
{
    const UniqueHandle dir(::CreateFileW(
        wide(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!dir.valid())
        return std::nullopt;
    const std::optional<FileStamp> stamp = win32::stampOf(dir.get());
    if (!stamp || win32::isReparsePoint(static_cast<DWORD>(stamp->mode)))
        return std::nullopt;
    return std::pair{stamp->device, stamp->inode};
}

// Removes everything below dir; a link (symbolic link or junction) is removed itself, never
// entered. Goes on after a failure and returns the first one's Windows error, or 0.
DWORD removeContents(const QString &dir, int depth)
{
    if (depth > kMaxDepth)
        return ERROR_CANT_RESOLVE_FILENAME;
    WIN32_FIND_DATAW found{};
    const win32::UniqueFind search(::FindFirstFileExW(wide(dir + QStringLiteral("/*")).c_str(),
                                                      FindExInfoBasic, &found,
                                                      FindExSearchNameMatch, nullptr, 0));
    if (!search.valid())
        return ::GetLastError();
    DWORD first = 0;
    const auto note = [&first](BOOL done) {
        if (!done && first == 0)
            first = ::GetLastError();
    };
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        const QString path = dir + u'/' + name;
        const std::wstring native = wide(path);
        const DWORD attributes = found.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
            ::SetFileAttributesW(native.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
        if (win32::isFolder(attributes) && !win32::isReparsePoint(attributes)) {
            if (const DWORD error = removeContents(path, depth + 1); error != 0 && first == 0)
                first = error;
        }
        note(win32::isFolder(attributes) ? ::RemoveDirectoryW(native.c_str())
                                         : ::DeleteFileW(native.c_str()));
    } while (::FindNextFileW(search.get(), &found));
    return first;
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
            name += kLetters[QRandomGenerator::system()->bounded(static_cast<int>(kLetters.size()))];
        const QString path = QDir::fromNativeSeparators(parent) + u'/' + name;
        if (!::CreateDirectoryW(wide(path).c_str(), security.get())) {
            if (::GetLastError() == ERROR_ALREADY_EXISTS)
                continue;
            return lastFailure(parent);
        }
        const auto identity = identityOf(path);
        if (!identity) {
            const Failure failure = lastFailure(path);
            ::RemoveDirectoryW(wide(path).c_str());
            return failure;
        }
        auto native = std::make_unique<Native>();
        native->volume = identity->first;
        native->index = identity->second;
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
    const auto identity = identityOf(path_);
    if (!identity) {
        if (!exists(path_)) {
            native_->removed = true;
            return {};
        }
        return Failure::errnoValue(ENOTDIR, path_);
    }
    if (identity->first != native_->volume || identity->second != native_->index)
        return Failure::errnoValue(EPERM, path_); // not the one made
    if (const DWORD error = removeContents(path_, 0); error != 0)
        return failureOf(error, path_);
    if (!::RemoveDirectoryW(wide(path_).c_str()))
        return lastFailure(path_);
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
        if (!name.startsWith(prefix, Qt::CaseInsensitive) || name.size() != prefix.size() + kRandomChars)
            continue;
        const QString path = QDir::fromNativeSeparators(parent) + u'/' + name;
        const DWORD attributes = win32::attributesOf(path);
        const std::optional<FileStamp> stamp = fileStamp(path);
        if (!win32::isFolder(attributes) || win32::isReparsePoint(attributes) || !stamp ||
            stamp->modifiedNs > before)
            continue;
        if (removeContents(path, 0) == 0 && ::RemoveDirectoryW(wide(path).c_str()))
            ++removed;
    }
    return removed;
}

} // namespace menu::platform
