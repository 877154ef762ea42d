// The installer's test bench, the same on both systems: a temporary drive-like tree with
// ORVAN/MENU (an installation) and ORVAN-INSTAL (an unpacked package with the real setup.exe),
// the fake launchers of FakeMenu.cpp, and programs run as processes.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace menu::test {

namespace fs = std::filesystem;

#ifdef _WIN32
inline const std::string kLauncher = "menu.exe";
#else
inline const std::string kLauncher = "menu";
#endif

// Relative path -> contents; folders as "<folder>".
using Tree = std::map<std::string, std::string>;
Tree treeOf(const fs::path &directory);
std::string contents(const fs::path &path);
void write(const fs::path &path, const std::string &text);
// The paths where two trees differ, one a line ("" when they are equal).
std::string differences(const Tree &actual, const Tree &expected);
// Waits (boundedly) until the file exists.
bool appears(const fs::path &path);

class Bench {
  public:
    Bench();
    ~Bench();
    Bench(const Bench &) = delete;
    Bench &operator=(const Bench &) = delete;

    const fs::path &root() const { return root_; }
    fs::path menu() const { return root_ / "ORVAN" / "MENU"; }
    fs::path starter() const { return menu() / kLauncher; }
    fs::path versions() const { return menu() / "versions"; }
    std::string current() const; // the name in versions/current, without its line end
    fs::path marker() const { return root_ / "started.txt"; }

    // A package of the "old" or the "new" fake launcher in the folder (below the root).
    fs::path package(const std::string &version, const std::string &folder = "ORVAN-INSTAL") const;
    // Today's flat installation of the old launcher: its program and files directly in MENU.
    void flatOld() const;
    // The lines the fake launchers wrote when they were started ("old|<dir>|1").
    std::vector<std::string> started() const;
    // Waits (boundedly) until count launchers have started.
    bool startedCount(std::size_t count) const;

  private:
    fs::path root_;
};

struct Result {
    int status = -1;
    std::string errors; // stderr
};

// An environment variable set (or removed) for the life of the object.
class ScopedVariable {
  public:
    ScopedVariable(const char *name, const std::optional<std::string> &value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

  private:
    std::string name_;
    std::optional<std::string> saved_;
};

// A program running as a child of the test, its stderr going to a file when one is named.
class Process {
  public:
    Process(const fs::path &program, const std::vector<std::string> &arguments,
            const fs::path &errors = {});
    ~Process();
    Process(const Process &) = delete;
    Process &operator=(const Process &) = delete;
    unsigned id() const { return id_; }
    // Waits (boundedly) for its end; its exit status, or -1 when it had to be killed.
    int finish();

  private:
    unsigned id_ = 0;
    void *handle_ = nullptr;
    bool done_ = false;
    int status_ = -1;
};

// Runs setup.exe of the package folder (ORVAN-INSTAL when empty) to its end.
Result runSetup(const Bench &bench, const std::vector<std::string> &arguments,
                const fs::path &package = {});
// Runs the starter MENU/menu(.exe) to its end.
Result runStarter(const Bench &bench);

// A running fake launcher: "--hold", or a colleague holding the files below a folder.
class Running {
  public:
    Running(const Bench &bench, const fs::path &program, const fs::path &colleagueOf = {});
    bool ready() const { return ready_; }
    unsigned id() const { return process_.id(); }
    int release(); // its exit status

  private:
    static int counter();
    fs::path ready_path_;
    fs::path release_;
    Process process_;
    bool ready_ = false;
};

} // namespace menu::test
