// Another seat's launcher in the Windows walk: colleague.exe DIR READY RELEASE loads every
// .exe and .dll below DIR as the loader does and keeps them, makes the file READY, and once the
// file RELEASE exists ends with 0 only if every file it holds still has its bytes.
#include <windows.h>

#include <string>
#include <vector>

namespace {

struct Held {
    HMODULE module;
    HANDLE file;
    std::string bytes;
};

std::string readAll(HANDLE file)
{
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    return bytes;
}

void holdTree(const std::wstring &dir, std::vector<Held> &held)
{
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        const std::wstring path = dir + L"\\" + name;
        const std::wstring end = name.size() > 4 ? name.substr(name.size() - 4) : L"";
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            holdTree(path, held);
        } else if (::lstrcmpiW(end.c_str(), L".dll") == 0 ||
                   ::lstrcmpiW(end.c_str(), L".exe") == 0) {
            HMODULE module = ::LoadLibraryExW(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
            HANDLE file =
                ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
            if (module != nullptr && file != INVALID_HANDLE_VALUE)
                held.push_back({module, file, readAll(file)});
        }
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 4)
        return 2;
    std::vector<Held> held;
    holdTree(argv[1], held);
    if (held.empty())
        return 4;
    HANDLE ready = ::CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(ready);
    for (int i = 0; i < 60'000 && ::GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i)
        ::Sleep(10);
    for (const Held &file : held) {
        if (readAll(file.file) != file.bytes)
            return 7;
    }
    return 0;
}
