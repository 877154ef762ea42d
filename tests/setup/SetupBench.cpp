#include "setup/SetupBench.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <fstream>
#include <iterator>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char **environ;
#endif

namespace menu::test {

namespace {

bool waitFor(const std::function<bool()> &done)
{
    for (int i = 0; i < 12'000; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

unsigned ownId()
{
#ifdef _WIN32
    return ::GetCurrentProcessId();
#else
    return static_cast<unsigned>(::getpid());
#endif
}

fs::path built(const char *path)
{
    return fs::absolute(fs::path(path));
}

} // namespace

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void write(const fs::path &path, const std::string &text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

bool appears(const fs::path &path)
{
    return waitFor([&] { return fs::exists(path); });
}

Tree treeOf(const fs::path &directory)
{
    Tree tree;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(directory, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const std::string name = fs::relative(it->path(), directory).generic_string();
        tree[name] = it->is_directory() ? "<folder>" : contents(it->path());
    }
    return tree;
}

std::string differences(const Tree &actual, const Tree &expected)
{
    std::string text;
    for (const auto &[path, bytes] : actual) {
        const auto other = expected.find(path);
        if (other == expected.end())
            text += "unexpected " + path + "\n";
        else if (other->second != bytes)
            text += "different " + path + "\n";
    }
    for (const auto &[path, bytes] : expected) {
        if (actual.count(path) == 0)
            text += "missing " + path + "\n";
    }
    return text;
}

Bench::Bench()
{
    static std::atomic<int> counter{0};
    root_ = fs::temp_directory_path() /
            ("orvan-setup-" + std::to_string(ownId()) + "-" + std::to_string(++counter));
    fs::remove_all(root_);
    fs::create_directories(menu());
}

Bench::~Bench()
{
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

std::string Bench::current() const
{
    std::string text = contents(versions() / "current");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

fs::path Bench::package(const std::string &version, const std::string &folder) const
{
    const fs::path dir = root_ / folder;
    const fs::path fake = built(version == "old" ? FAKE_MENU_OLD : FAKE_MENU_NEW);
    fs::create_directories(dir / "platforms");
    fs::copy_file(built(SETUP_EXE), dir / "setup.exe", fs::copy_options::overwrite_existing);
    fs::copy_file(fake, dir / kLauncher, fs::copy_options::overwrite_existing);
    // A library as the loader sees one: a real program file.
    fs::copy_file(fake, dir / "platforms" / "qwindows.dll", fs::copy_options::overwrite_existing);
    write(dir / "payload.txt", version + " payload");
    return dir;
}

void Bench::flatOld() const
{
    const fs::path fake = built(FAKE_MENU_OLD);
    fs::create_directories(menu() / "platforms");
    fs::copy_file(fake, starter(), fs::copy_options::overwrite_existing);
    fs::copy_file(fake, menu() / "platforms" / "qwindows.dll",
                  fs::copy_options::overwrite_existing);
    write(menu() / "payload.txt", "old payload");
    write(menu() / "menu.ini", "[OPTIONS]\nkept=1\n");
}

std::vector<std::string> Bench::started() const
{
    std::vector<std::string> lines;
    std::ifstream in(marker());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Bench::startedCount(std::size_t count) const
{
    return waitFor([&] { return started().size() >= count; });
}

ScopedVariable::ScopedVariable(const char *name, const std::optional<std::string> &value)
    : name_(name)
{
    if (const char *old = std::getenv(name))
        saved_ = old;
#ifdef _WIN32
    ::SetEnvironmentVariableA(name, value ? value->c_str() : nullptr);
    _putenv_s(name, value ? value->c_str() : "");
#else
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
#endif
}

ScopedVariable::~ScopedVariable()
{
#ifdef _WIN32
    ::SetEnvironmentVariableA(name_.c_str(), saved_ ? saved_->c_str() : nullptr);
    _putenv_s(name_.c_str(), saved_ ? saved_->c_str() : "");
#else
    if (saved_)
        ::setenv(name_.c_str(), saved_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
#endif
}

Result runSetup(const Bench &bench, const std::vector<std::string> &arguments,
                const fs::path &package)
{
    const fs::path dir = package.empty() ? bench.root() / "ORVAN-INSTAL" : package;
    const fs::path errors = bench.root() / "errors.txt";
    Process setup(dir / "setup.exe", arguments, errors);
    const int status = setup.finish();
    return {status, contents(errors)};
}

Result runStarter(const Bench &bench)
{
    const fs::path errors = bench.root() / "errors.txt";
    Process starter(bench.starter(), {}, errors);
    const int status = starter.finish();
    return {status, contents(errors)};
}

Running::Running(const Bench &bench, const fs::path &program, const fs::path &colleagueOf)
    : ready_path_(bench.root() / ("ready-" + std::to_string(counter()))),
      release_(bench.root() / ("release-" + std::to_string(counter()))),
      process_(program,
               colleagueOf.empty()
                   ? std::vector<std::string>{"--hold", ready_path_.string(), release_.string()}
                   : std::vector<std::string>{"--colleague", colleagueOf.string(),
                                              ready_path_.string(), release_.string()})
{
    ready_ = appears(ready_path_);
}

int Running::counter()
{
    static std::atomic<int> next{0};
    return ++next;
}

int Running::release()
{
    write(release_, "go");
    return process_.finish();
}

#ifdef _WIN32
Process::Process(const fs::path &program, const std::vector<std::string> &arguments,
                 const fs::path &errors)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = errors.empty()
                      ? INVALID_HANDLE_VALUE
                      : ::CreateFileW(errors.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::wstring line = L"\"" + program.wstring() + L"\"";
    for (const std::string &argument : arguments)
        line += L" \"" + fs::path(argument).wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (file != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = file;
        startup.hStdError = file;
    }
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(program.wstring().c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         program.parent_path().wstring().c_str(), &startup, &started)) {
        handle_ = started.hProcess;
        id_ = started.dwProcessId;
        ::CloseHandle(started.hThread);
    }
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    EXPECT_NE(handle_, nullptr) << program << " did not start: " << ::GetLastError();
}

int Process::finish()
{
    if (handle_ == nullptr || done_)
        return status_;
    if (::WaitForSingleObject(handle_, 120'000) != WAIT_OBJECT_0) {
        ::TerminateProcess(handle_, 998);
        ADD_FAILURE() << "a process did not end (a message box?)";
    }
    DWORD status = 0;
    ::GetExitCodeProcess(handle_, &status);
    status_ = status == 998 ? -1 : static_cast<int>(status);
    done_ = true;
    return status_;
}

Process::~Process()
{
    if (handle_ != nullptr && !done_)
        ::TerminateProcess(handle_, 998);
    if (handle_ != nullptr)
        ::CloseHandle(handle_);
}
#else
Process::Process(const fs::path &program, const std::vector<std::string> &arguments,
                 const fs::path &errors)
{
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, program.parent_path().c_str());
    if (!errors.empty())
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    pid_t child = 0;
    const int error =
        ::posix_spawn(&child, words[0].c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(error, 0) << program << " did not start";
    id_ = error == 0 ? static_cast<unsigned>(child) : 0;
}

int Process::finish()
{
    if (id_ == 0 || done_)
        return status_;
    int status = 0;
    const bool ended = waitFor([&] {
        return ::waitpid(static_cast<pid_t>(id_), &status, WNOHANG) == static_cast<pid_t>(id_);
    });
    if (!ended) {
        ::kill(static_cast<pid_t>(id_), SIGKILL);
        ::waitpid(static_cast<pid_t>(id_), &status, 0);
        ADD_FAILURE() << "a process did not end";
    }
    done_ = true;
    status_ = ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
}

Process::~Process()
{
    if (id_ != 0 && !done_) {
        ::kill(static_cast<pid_t>(id_), SIGKILL);
        int status = 0;
        ::waitpid(static_cast<pid_t>(id_), &status, 0);
    }
}
#endif

} // namespace menu::test
