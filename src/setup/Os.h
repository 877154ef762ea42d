// The installer's seam to the operating system: everything setup and the starter ask of the
// system, one implementation per system (setup/win32, setup/posix). Paths are UTF-8 with the
// system's own separator; a result of 0 is success, anything else the system's error number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace menu::setup::os {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr char kLauncherName[] = "menu.exe";
#else
inline constexpr char kSeparator = '/';
inline constexpr char kLauncherName[] = "menu";
#endif
inline constexpr char kInstallerName[] = "setup.exe";

enum class Kind { Missing, File, Folder, Other }; // Other: a link or a device
Kind kindOf(const std::string &path);

struct Entry {
    std::string name;
    Kind kind = Kind::Missing;
};
int listFolder(const std::string &folder, std::vector<Entry> &entries);

// Writes a copy that does not exist yet, in full, flushed to the disk, with the run bit kept.
int copyFlushed(const std::string &from, const std::string &to);
// Creates a file that must not exist, with contents, flushed; the error when it exists.
int createFlushed(const std::string &path, const std::string &contents);
// The contents of a small file (at most maxBytes), or nothing.
std::optional<std::string> readSmall(const std::string &path, std::size_t maxBytes);
// Replaces to by from in one step that any reader sees whole (to may be open elsewhere).
int replace(const std::string &from, const std::string &to);
// Renames a file or a folder to a name that must not exist. A running program may be renamed.
int renameNew(const std::string &from, const std::string &to);
int makeFolder(const std::string &path);
int removeFile(const std::string &path);
int removeFolder(const std::string &path); // an empty one
// Makes the names written in a folder durable (a no-op where renames are durable already).
int syncFolder(const std::string &folder);
// Whether a process on this machine has a file below path open or mapped. Where the system
// itself refuses to remove a file in use (Windows), nothing is looked up and this says no.
bool openHere(const std::string &path);

std::int64_t secondsNow(); // since 1970, UTC
std::string computerName();
std::string userName();
unsigned processId();
// Whether a process with this id runs on this machine (true when it cannot be told).
bool processRuns(unsigned id);
enum class Waited { Ended, Running, Unknown };
// Waits on the process itself, at most budgetMs: the id names that process, whatever path
// started it.
Waited waitForProcess(unsigned id, unsigned budgetMs);
void sleepMs(unsigned ms);

// Starts program with arguments in directory and does not wait; 0 or the error. replaceSelf:
// the started program may take this process's place (the starter on POSIX does so).
int startProgram(const std::string &program, const std::vector<std::string> &arguments,
                 const std::string &directory, bool replaceSelf);

// The command line's arguments without the program's own name; on POSIX main keeps them first.
void keepArguments(int argc, char **argv);
std::vector<std::string> arguments();
std::string ownPath();
std::string environment(const char *name);
void setEnvironment(const char *name, const std::string &value); // for the programs it starts
// The full path by the system's rules (current directory, ".."); empty on error.
std::string fullPath(const std::string &path);
// The path the file system gives an open handle to the file, never the spelling that reached
// it (a mapped drive leads to its share); empty when the file cannot be opened.
std::string finalPath(const std::string &path);
bool sameName(const std::string &a, const std::string &b); // case-blind where the system is

// The system's own words for an error, without a line break at the end.
std::string reason(int error);
inline constexpr int kTimedOut = -1;    // an error of our own: a bound was reached
inline constexpr int kNotComplete = -2; // an error of our own: a package without its launcher

// What the user is told: a box titled "ORVAN - inštalácia", or stderr when ORVAN_SETUP_QUIET=1
// (tests and scripts must never wait for a click).
void reportError(const std::string &text);

// A small window (or lines on stderr) telling what the installer or the starter is doing.
class Progress {
  public:
    Progress();
    ~Progress();
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;
    void show(const std::string &text);

  private:
    void *window_ = nullptr;
};

} // namespace menu::setup::os
