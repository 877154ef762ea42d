// The installer's test bench: a temporary drive-like tree with ...\ORVAN\MENU (the installed
// launcher) and ...\ORVAN-INSTAL (the unpacked package with the real setup.exe), the fake
// launchers of FakeMenu.cpp, and the installer run as a process.
#pragma once

#include "platform/win32/UniqueHandle.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace menu::test {

using platform::win32::UniqueHandle;

// A built program's path (given by CMake, a Unix path under Wine) as a Windows path.
std::wstring builtProgram(const char *path);

// Relative path -> contents; folders as "<folder>", so that a new empty folder shows too.
using Tree = std::map<std::wstring, std::string>;

class Sandbox {
  public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox &) = delete;
    Sandbox &operator=(const Sandbox &) = delete;

    const std::wstring &root() const { return root_; }
    std::wstring menuDir() const { return root_ + L"\\ORVAN\\MENU"; }
    std::wstring packageDir() const { return root_ + L"\\ORVAN-INSTAL"; }
    std::wstring launcher() const { return menuDir() + L"\\menu.exe"; }
    std::wstring marker() const { return root_ + L"\\started.txt"; }

    void write(const std::wstring &path, const std::string &contents) const;
    void copy(const std::wstring &from, const std::wstring &to) const;
    // The lines the fake launchers wrote when they were started.
    std::vector<std::wstring> startedLaunchers() const;

  private:
    std::wstring root_;
};

Tree treeOf(const std::wstring &directory);
// The paths where two trees differ, one a line ("" when they are equal); no binary contents.
std::string differences(const Tree &actual, const Tree &expected);

// An environment variable set (or, with nothing, removed) for the life of the object.
class ScopedVariable {
  public:
    ScopedVariable(const wchar_t *name, const std::optional<std::wstring> &value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

  private:
    std::wstring name_;
    std::optional<std::wstring> saved_;
};

// A named event of this test run; its name goes to the children through the environment.
struct NamedEvent {
    explicit NamedEvent(const std::wstring &purpose);
    bool waitSet(DWORD ms = 60'000) const
    {
        return ::WaitForSingleObject(handle.get(), ms) == WAIT_OBJECT_0;
    }
    std::wstring name;
    UniqueHandle handle;
};

// The fake launcher started as the running launcher: it runs until release().
class HeldLauncher {
  public:
    explicit HeldLauncher(const std::wstring &program);
    ~HeldLauncher();
    HeldLauncher(const HeldLauncher &) = delete;
    HeldLauncher &operator=(const HeldLauncher &) = delete;

    bool running() const { return running_; }
    // Lets it end and waits for it; true when it ended well.
    bool release();

  private:
    NamedEvent ready_{L"ready"};
    NamedEvent release_{L"release"};
    UniqueHandle process_;
    bool running_ = false;
};

// A started setup.exe, its stderr going to a file.
class SetupRun {
  public:
    SetupRun(const Sandbox &sandbox, const std::vector<std::wstring> &arguments);
    // Waits (boundedly) for its end: its exit status, and what it wrote, as text.
    std::pair<DWORD, std::wstring> finish();

  private:
    std::wstring errors_;
    UniqueHandle process_;
};

} // namespace menu::test
