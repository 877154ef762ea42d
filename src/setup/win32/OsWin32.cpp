// The installer's seam on Windows: files and folders.
#include "setup/win32/Wide.h"

#include "platform/win32/UniqueHandle.h"

#include <vector>

using menu::platform::win32::UniqueFind;
using menu::platform::win32::UniqueHandle;

namespace menu::setup::os {

namespace {

int lastError()
{
    return static_cast<int>(::GetLastError());
}

// Flushes and closes a file written through handle; 0 or the error.
int finish(UniqueHandle &file)
{
    if (!::FlushFileBuffers(file.get()))
        return lastError();
    return static_cast<int>(file.close());
}

} // namespace

Kind kindOf(const std::string &path)
{
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Kind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return Kind::Other;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::File;
}

int listFolder(const std::string &folder, std::vector<Entry> &entries)
{
    WIN32_FIND_DATAW found{};
    UniqueFind find(::FindFirstFileExW(wide(folder + "\\*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!find.valid())
        return lastError();
    do {
        const std::string name = utf8(found.cFileName);
        if (name == "." || name == "..")
            continue;
        const DWORD attributes = found.dwFileAttributes;
        entries.push_back({name, (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? Kind::Other
                                 : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? Kind::Folder
                                                                             : Kind::File});
    } while (::FindNextFileW(find.get(), &found));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : static_cast<int>(error);
}

int copyFlushed(const std::string &from, const std::string &to)
{
    UniqueHandle in(::CreateFileW(wide(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.valid())
        return lastError();
    UniqueHandle out(::CreateFileW(wide(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid())
        return lastError();
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return lastError();
        if (read == 0)
            break;
        DWORD written = 0;
        if (!::WriteFile(out.get(), buffer.data(), read, &written, nullptr))
            return lastError();
        if (written != read)
            return ERROR_WRITE_FAULT;
    }
    return finish(out);
}

int createFlushed(const std::string &path, const std::string &contents)
{
    UniqueHandle out(::CreateFileW(wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid())
        return lastError();
    DWORD written = 0;
    if (!::WriteFile(out.get(), contents.data(), static_cast<DWORD>(contents.size()), &written,
                     nullptr))
        return lastError();
    return written == contents.size() ? finish(out) : ERROR_WRITE_FAULT;
}

std::optional<std::string> readSmall(const std::string &path, std::size_t maxBytes)
{
    // Shared for a rename over it: a reader never stands in the way of a switch.
    UniqueHandle in(::CreateFileW(wide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!in.valid())
        return std::nullopt;
    std::string text;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return std::nullopt;
        if (read == 0)
            return text;
        text.append(buffer.data(), read);
        if (text.size() > maxBytes)
            return std::nullopt;
    }
}

int replace(const std::string &from, const std::string &to)
{
    return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : lastError();
}

int renameNew(const std::string &from, const std::string &to)
{
    return ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH)
               ? 0
               : lastError();
}

int makeFolder(const std::string &path)
{
    return ::CreateDirectoryW(wide(path).c_str(), nullptr) ? 0 : lastError();
}

int removeFile(const std::string &path)
{
    const std::wstring name = wide(path);
    ::SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileW(name.c_str()) ? 0 : lastError();
}

int removeFolder(const std::string &path)
{
    return ::RemoveDirectoryW(wide(path).c_str()) ? 0 : lastError();
}

int syncFolder(const std::string &)
{
    return 0; // MOVEFILE_WRITE_THROUGH made each rename durable
}

bool openHere(const std::string &)
{
    return false; // Windows refuses to remove a file a program holds, on any seat
}

std::string reason(int error)
{
    if (error == kTimedOut)
        return "čas vypršal";
    if (error == kNotComplete)
        return "balík nie je úplný";
    wchar_t *buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring text = (length != 0 && buffer != nullptr) ? std::wstring(buffer, length) : L"";
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    return text.empty() ? "chyba " + std::to_string(error) : utf8(text);
}

} // namespace menu::setup::os
