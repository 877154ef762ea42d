#include "setup/Paths.h"

#include "setup/Messages.h"

#include <windows.h>

namespace menu::setup {

namespace {

// The long form of an existing path (8.3 aliases spelled out); the path itself on error.
std::wstring longPath(const std::wstring &path)
{
    const DWORD size = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (size == 0)
        return path;
    std::wstring result(size, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), result.data(), size);
    if (length == 0 || length >= size)
        return path;
    result.resize(length);
    return result;
}

bool isPlainDirectory(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

std::wstring fullPath(const std::wstring &path)
{
    if (path.empty())
        return {};
    DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    while (size != 0) {
        std::wstring result(size, L'\0');
        const DWORD length = ::GetFullPathNameW(path.c_str(), size, result.data(), nullptr);
        if (length < size) {
            result.resize(length);
            return length == 0 ? std::wstring() : result;
        }
        size = length; // the path grew meanwhile (a changed current directory)
    }
    return {};
}

bool sameName(const std::wstring &a, const std::wstring &b)
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool endsWithName(const std::wstring &text, const std::wstring &end)
{
    return text.size() >= end.size() && sameName(text.substr(text.size() - end.size()), end);
}

std::optional<Target> findTarget(const std::vector<std::wstring> &arguments)
{
    const std::wstring named = arguments.size() > 1 ? arguments[1] : environment(L"ORVAN_MENU");
    const std::wstring full = fullPath(named);
    const size_t slash = full.find_last_of(L'\\');
    if (full.empty() || slash == std::wstring::npos)
        return std::nullopt;
    const std::wstring name = full.substr(slash + 1);
    const std::wstring directory = longPath(full.substr(0, slash));
    // "X:\ORVAN\MENU" at the least: something must stand before the two folders.
    const std::wstring folders = L"\\ORVAN\\MENU";
    if (!sameName(name, L"menu.exe") || directory.size() <= folders.size() ||
        !endsWithName(directory, folders) || !isPlainDirectory(directory))
        return std::nullopt;
    return Target{longPath(directory + L"\\" + name), directory};
}

std::wstring ownDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace menu::setup
