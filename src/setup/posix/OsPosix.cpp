// The installer's seam on POSIX systems.
#include "setup/Os.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/syscall.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <spawn.h>
#include <thread>

extern char **environ;

namespace menu::setup::os {

namespace {

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return fd_; }
    int close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

  private:
    int fd_;
};

int writeAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

std::string directoryOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

Kind kindOf(const std::string &path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return Kind::Missing;
    return S_ISREG(info.st_mode) ? Kind::File : S_ISDIR(info.st_mode) ? Kind::Folder : Kind::Other;
}

int listFolder(const std::string &folder, std::vector<Entry> &entries)
{
    DIR *dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return errno;
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            entries.push_back({name, kindOf(folder + "/" + name)});
    }
    const int error = errno;
    ::closedir(dir);
    return error;
}

int copyFlushed(const std::string &from, const std::string &to)
{
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (in.get() < 0 || ::fstat(in.get(), &info) != 0)
        return errno;
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777));
    if (out.get() < 0)
        return errno;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        if (const int error = writeAll(out.get(), buffer.data(), static_cast<std::size_t>(got)))
            return error;
    }
    if (::fsync(out.get()) != 0)
        return errno;
    return out.close();
}

int createFlushed(const std::string &path, const std::string &contents)
{
    Fd out(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (out.get() < 0)
        return errno;
    if (const int error = writeAll(out.get(), contents.data(), contents.size()))
        return error;
    if (::fsync(out.get()) != 0)
        return errno;
    return out.close();
}

std::optional<std::string> readSmall(const std::string &path, std::size_t maxBytes)
{
    Fd in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        return std::nullopt;
    std::string text;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(in.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > maxBytes)
            return std::nullopt;
    }
}

int replace(const std::string &from, const std::string &to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return errno;
    return syncFolder(directoryOf(to));
}

int renameNew(const std::string &from, const std::string &to)
{
    // Linux's renameat2 with RENAME_NOREPLACE is not everywhere; a link refuses an existing
    // name for a file, and a folder's rename refuses a non-empty folder in the way.
    if (kindOf(to) != Kind::Missing)
        return EEXIST;
    if (::rename(from.c_str(), to.c_str()) != 0)
        return errno;
    return syncFolder(directoryOf(to));
}

int makeFolder(const std::string &path)
{
    return ::mkdir(path.c_str(), 0755) == 0 ? 0 : errno;
}

int removeFile(const std::string &path)
{
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int removeFolder(const std::string &path)
{
    return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

int syncFolder(const std::string &folder)
{
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0)
        return errno;
    return ::fsync(dir.get()) == 0 ? 0 : errno;
}

bool openHere(const std::string &path)
{
    // What other processes hold: their open files and their mappings (a program and its
    // libraries). Processes of other users cannot be read, nor those of other machines.
    const std::string prefix = path + "/";
    const auto names = [&](const std::string &text) {
        return text == path || text.compare(0, prefix.size(), prefix) == 0;
    };
    std::vector<Entry> processes;
    listFolder("/proc", processes);
    const std::string self = std::to_string(::getpid());
    for (const Entry &process : processes) {
        if (process.name.find_first_not_of("0123456789") != std::string::npos ||
            process.name == self)
            continue;
        const std::string base = "/proc/" + process.name;
        std::vector<Entry> fds;
        listFolder(base + "/fd", fds);
        for (const Entry &fd : fds) {
            char target[4096];
            const ssize_t length =
                ::readlink((base + "/fd/" + fd.name).c_str(), target, sizeof target - 1);
            if (length > 0 && names(std::string(target, static_cast<std::size_t>(length))))
                return true;
        }
        std::ifstream maps(base + "/maps");
        for (std::string line; std::getline(maps, line);) {
            const std::size_t slash = line.find('/');
            if (slash != std::string::npos && names(line.substr(slash)))
                return true;
        }
    }
    return false;
}

std::int64_t secondsNow()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::string computerName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? name : "?";
}

std::string userName()
{
    const passwd *user = ::getpwuid(::getuid());
    return user != nullptr ? user->pw_name : std::to_string(::getuid());
}

unsigned processId()
{
    return static_cast<unsigned>(::getpid());
}

bool processRuns(unsigned id)
{
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

Waited waitForProcess(unsigned id, unsigned budgetMs)
{
    // A descriptor of the process itself, readable once it has ended.
    const long pidfd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(id), 0);
    if (pidfd >= 0) {
        Fd process(static_cast<int>(pidfd));
        pollfd wait{process.get(), POLLIN, 0};
        int ready = 0;
        while ((ready = ::poll(&wait, 1, static_cast<int>(budgetMs))) < 0 && errno == EINTR) {
        }
        return ready > 0 ? Waited::Ended : ready == 0 ? Waited::Running : Waited::Unknown;
    }
    if (errno == ESRCH)
        return Waited::Ended;
    // An older kernel: its end shows as its id going away (a zombie counts as ended).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs);
    for (;;) {
        std::ifstream status("/proc/" + std::to_string(id) + "/stat");
        std::string line;
        if (!std::getline(status, line) || line.find(") Z ") != std::string::npos)
            return Waited::Ended;
        if (std::chrono::steady_clock::now() >= deadline)
            return Waited::Running;
        sleepMs(20);
    }
}

void sleepMs(unsigned ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int startProgram(const std::string &program, const std::vector<std::string> &arguments,
                 const std::string &directory, bool replaceSelf)
{
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    argv.reserve(words.size() + 1);
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    if (replaceSelf) {
        if (::chdir(directory.c_str()) != 0)
            return errno;
        ::execv(program.c_str(), argv.data());
        return errno;
    }
    // A new session of its own: the started launcher outlives the installer and its terminal.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    pid_t child = 0;
    const int error =
        ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

namespace {
std::vector<std::string> gArguments;
} // namespace

void keepArguments(int argc, char **argv)
{
    gArguments.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::vector<std::string> arguments()
{
    return gArguments;
}

std::string ownPath()
{
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

void setEnvironment(const char *name, const std::string &value)
{
    ::setenv(name, value.c_str(), 1);
}

std::string fullPath(const std::string &path)
{
    if (path.empty())
        return {};
    std::string full = path;
    if (path[0] != '/') {
        char here[4096];
        if (::getcwd(here, sizeof here) == nullptr)
            return {};
        full = std::string(here) + "/" + path;
    }
    // "." and ".." by their names, as Windows resolves them, not through links.
    std::vector<std::string> parts;
    for (std::size_t start = 1, end; start <= full.size(); start = end + 1) {
        end = full.find('/', start);
        if (end == std::string::npos)
            end = full.size();
        const std::string part = full.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string result;
    for (const std::string &part : parts)
        result += "/" + part;
    return result.empty() ? "/" : result;
}

std::string finalPath(const std::string &path)
{
    char *resolved = ::realpath(path.c_str(), nullptr);
    const std::string result = resolved != nullptr ? resolved : "";
    std::free(resolved);
    return result;
}

bool sameName(const std::string &a, const std::string &b)
{
    return a == b;
}

std::string reason(int error)
{
    if (error == kTimedOut)
        return "čas vypršal";
    if (error == kNotComplete)
        return "balík nie je úplný";
    return std::strerror(error);
}

void reportError(const std::string &text)
{
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r')
            line += text[i];
        else if (i + 1 == text.size() || text[i + 1] != '\n')
            line += '\n';
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

Progress::Progress() = default;
Progress::~Progress() = default;

void Progress::show(const std::string &text)
{
    if (environment("ORVAN_SETUP_QUIET") != "1")
        std::fprintf(stderr, "%s\n", text.c_str());
}

} // namespace menu::setup::os
