#include "setup/Install.h"

#include "platform/win32/UniqueHandle.h"
#include "setup/Paths.h"

#include <algorithm>
#include <vector>

using menu::platform::win32::UniqueFind;
using menu::platform::win32::UniqueHandle;

namespace menu::setup {

namespace {

// Beside each destination while the installation runs; never names of the package's own.
const std::wstring kNewSuffix = L".orvan-setup-new";
const std::wstring kOldSuffix = L".orvan-setup-old";

struct Package {
    std::vector<std::wstring> folders; // relative, parents before their children
    std::vector<std::wstring> files;   // relative, menu.exe last
};

bool isDotName(const std::wstring &name)
{
    return name == L"." || name == L"..";
}

// A name the listing gave must stay one component of the target: no separators, no streams.
bool isPlainName(const std::wstring &name)
{
    return !name.empty() && !isDotName(name) && name.find_first_of(L"\\/:") == std::wstring::npos;
}

DWORD listFolder(const std::wstring &source, const std::wstring &relative, Package &package)
{
    const std::wstring folder = relative.empty() ? source : source + L"\\" + relative;
    WIN32_FIND_DATAW found{};
    UniqueFind find(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!find.valid())
        return ::GetLastError();
    do {
        const std::wstring name = found.cFileName;
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (isDotName(name) || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (!isPlainName(name))
            return ERROR_INVALID_NAME;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            package.folders.push_back(path);
            if (const DWORD error = listFolder(source, path, package))
                return error;
        } else if (!(relative.empty() && sameName(name, L"setup.exe"))) {
            package.files.push_back(path);
        }
    } while (::FindNextFileW(find.get(), &found));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}

// Writes the whole file and flushes it to the disk; 0 or the Windows error.
DWORD copyFile(const std::wstring &from, const std::wstring &to)
{
    UniqueHandle in(::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.valid())
        return ::GetLastError();
    UniqueHandle out(::CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid())
        return ::GetLastError();
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return ::GetLastError();
        if (read == 0)
            break;
        DWORD written = 0;
        if (!::WriteFile(out.get(), buffer.data(), read, &written, nullptr))
            return ::GetLastError();
        if (written != read)
            return ERROR_WRITE_FAULT;
    }
    if (!::FlushFileBuffers(out.get()))
        return ::GetLastError();
    return out.close();
}

class Installation {
  public:
    Installation(std::wstring source, std::wstring target)
        : source_(std::move(source)), target_(std::move(target))
    {
    }
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;
    ~Installation();

    std::optional<InstallFailure> run();

  private:
    std::optional<InstallFailure> makeFolders(const Package &package);
    std::optional<InstallFailure> stage(const Package &package);
    std::optional<InstallFailure> replace(const std::wstring &relative);
    std::wstring destination(const std::wstring &relative) const
    {
        return target_ + L"\\" + relative;
    }

    std::wstring source_;
    std::wstring target_;
    bool done_ = false;
    std::vector<std::wstring> madeFolders_; // full paths, made by this installation
    std::vector<std::wstring> staged_;      // full paths of new files not yet in place
    struct Replaced {
        std::wstring path;
        std::wstring old; // a copy of the old file; empty when there was none
    };
    std::vector<Replaced> replaced_;
};

std::optional<InstallFailure> Installation::run()
{
    Package package;
    if (const DWORD error = listFolder(source_, {}, package))
        return InstallFailure{source_, error};
    const auto launcher = std::find_if(package.files.begin(), package.files.end(),
                                       [](const std::wstring &f) { return sameName(f, L"menu.exe"); });
    if (launcher == package.files.end())
        return InstallFailure{L"menu.exe", ERROR_FILE_NOT_FOUND};
    std::rotate(launcher, launcher + 1, package.files.end());
    if (auto failure = makeFolders(package))
        return failure;
    if (auto failure = stage(package))
        return failure;
    for (const std::wstring &file : package.files) {
        if (auto failure = replace(file))
            return failure;
    }
    done_ = true;
    return std::nullopt;
}

std::optional<InstallFailure> Installation::makeFolders(const Package &package)
{
    for (const std::wstring &folder : package.folders) {
        const std::wstring path = destination(folder);
        if (::CreateDirectoryW(path.c_str(), nullptr)) {
            madeFolders_.push_back(path);
            continue;
        }
        const DWORD error = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        // A folder of the old launcher is used as it is; a file or a link in its place is not.
        if (error != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES ||
            !(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return InstallFailure{folder, error};
    }
    return std::nullopt;
}

std::optional<InstallFailure> Installation::stage(const Package &package)
{
    for (const std::wstring &file : package.files) {
        const std::wstring staged = destination(file) + kNewSuffix;
        // Left behind by an installation that was cut off.
        ::DeleteFileW(staged.c_str());
        const DWORD error = copyFile(source_ + L"\\" + file, staged);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            staged_.push_back(staged);
        if (error != 0)
            return InstallFailure{file, error};
    }
    return std::nullopt;
}

std::optional<InstallFailure> Installation::replace(const std::wstring &relative)
{
    const std::wstring path = destination(relative);
    const std::wstring staged = path + kNewSuffix;
    Replaced entry{path, {}};
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // A copy to put back should a later rename fail. Not a second link: it would share the
        // locks of a file another program holds, and could not be removed while it does.
        entry.old = path + kOldSuffix;
        if (!::CopyFileW(path.c_str(), entry.old.c_str(), FALSE)) {
            const DWORD error = ::GetLastError();
            ::DeleteFileW(entry.old.c_str());
            return InstallFailure{relative, error};
        }
    }
    if (!::MoveFileExW(staged.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        if (!entry.old.empty())
            ::DeleteFileW(entry.old.c_str());
        return InstallFailure{relative, error};
    }
    staged_.erase(std::find(staged_.begin(), staged_.end(), staged));
    replaced_.push_back(std::move(entry));
    return std::nullopt;
}

Installation::~Installation()
{
    if (done_) {
        for (const Replaced &entry : replaced_) {
            if (!entry.old.empty())
                ::DeleteFileW(entry.old.c_str());
        }
        return;
    }
    // Undone in the reverse order: the old files back under their names, then the rest away.
    for (auto it = replaced_.rbegin(); it != replaced_.rend(); ++it) {
        if (it->old.empty())
            ::DeleteFileW(it->path.c_str());
        else
            ::MoveFileExW(it->old.c_str(), it->path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    for (const std::wstring &staged : staged_)
        ::DeleteFileW(staged.c_str());
    for (auto it = madeFolders_.rbegin(); it != madeFolders_.rend(); ++it)
        ::RemoveDirectoryW(it->c_str());
}

} // namespace

std::optional<InstallFailure> install(const std::wstring &source, const std::wstring &target)
{
    Installation installation(source, target);
    return installation.run();
}

} // namespace menu::setup
