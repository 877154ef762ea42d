// A stand-in for the launcher in the installer's tests, built once as the old launcher and once
// as the new one (FAKE_MENU_VERSION, FAKE_MENU_BUILD). Its version block carries the file
// version 1.0.0.<build>, as a launcher's does.
//
//     fake                           appends "<version>|<current directory>|<build>" to
//                                    $FAKE_MENU_MARKER, and "|failed" when its installer failed
//     fake --hold READY RELEASE      a running launcher: makes the file READY, ends when RELEASE
//                                    exists
//     fake --colleague DIR READY RELEASE
//                                    another seat's launcher: holds every file below DIR the way
//                                    a running program does (Windows: loaded as an image, and
//                                    open; POSIX: open), makes READY, and when RELEASE exists
//                                    ends with 0 only if every file still has the bytes it had
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// VS_FIXEDFILEINFO's start: signature, structure version, file version 1.0.0.<build>; kept in
// the program as a launcher's version block is.
extern const unsigned char kVersionBlock[];
[[gnu::used]] const unsigned char kVersionBlock[] = {
    0xbd, 0x04, 0xef, 0xfe, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, FAKE_MENU_BUILD,
    0x00, 0x00, 0x00};

namespace {

bool waitForFile(const fs::path &path)
{
    for (int i = 0; i < 12'000; ++i) {
        if (fs::exists(path))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void touch(const fs::path &path)
{
    std::ofstream(path) << "ready";
}

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Holds a file the way a running program does; its bytes read back through the hold.
class Held {
  public:
    explicit Held(const fs::path &path) : bytes_(contents(path))
    {
#ifdef _WIN32
        module_ = ::LoadLibraryExW(path.wstring().c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        file_ =
            ::CreateFileW(path.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
#else
        fd_ = ::open(path.c_str(), O_RDONLY);
#endif
    }
    bool kept() const
    {
        std::string now(bytes_.size() + 1, '\0');
#ifdef _WIN32
        DWORD read = 0;
        ::SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
        if (file_ == INVALID_HANDLE_VALUE ||
            !::ReadFile(file_, now.data(), static_cast<DWORD>(now.size()), &read, nullptr))
            return false;
        now.resize(read);
#else
        const ssize_t read = ::pread(fd_, now.data(), now.size(), 0);
        if (fd_ < 0 || read < 0)
            return false;
        now.resize(static_cast<size_t>(read));
#endif
        return now == bytes_;
    }

  private:
    std::string bytes_;
#ifdef _WIN32
    HMODULE module_ = nullptr;
    HANDLE file_ = INVALID_HANDLE_VALUE;
#else
    int fd_ = -1;
#endif
};

int colleague(const fs::path &dir, const fs::path &ready, const fs::path &release)
{
    std::vector<Held> held;
    for (const auto &entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file() &&
            entry.path().filename().string().find(".ini") == std::string::npos)
            held.emplace_back(entry.path());
    }
    touch(ready);
    if (!waitForFile(release))
        return 3;
    for (const Held &file : held) {
        if (!file.kept())
            return 7;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--hold") {
        touch(args[1]);
        return waitForFile(args[2]) ? 0 : 3;
    }
    if (args.size() == 4 && args[0] == "--colleague")
        return colleague(args[1], args[2], args[3]);
    const char *marker = std::getenv("FAKE_MENU_MARKER");
    if (marker == nullptr)
        return 4;
    std::ofstream out(marker, std::ios::app);
    out << FAKE_MENU_VERSION << "|" << fs::current_path().string() << "|"
        << static_cast<int>(*static_cast<const volatile unsigned char *>(kVersionBlock + 12))
        << (std::getenv("ORVAN_INSTALL_FAILED") != nullptr ? "|failed" : "") << "\n";
    return out ? 0 : 4;
}
