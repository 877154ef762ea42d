#include "setup/SetupSandbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

namespace menu::test {

namespace {

std::wstring fromUtf8(const std::string &text)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                          size);
    return result;
}

std::string readFile(const std::wstring &path)
{
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    std::string contents;
    char buffer[65536];
    DWORD read = 0;
    while (file.valid() && ::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
        contents.append(buffer, read);
    return contents;
}

void removeTree(const std::wstring &path)
{
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &found);
    while (find != INVALID_HANDLE_VALUE) {
        const std::wstring name = found.cFileName;
        const std::wstring child = path + L"\\" + name;
        if (name != L"." && name != L"..") {
            ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                ::DeleteFileW(child.c_str());
        }
        if (!::FindNextFileW(find, &found)) {
            ::FindClose(find);
            break;
        }
    }
    ::RemoveDirectoryW(path.c_str());
}

void addTree(const std::wstring &directory, const std::wstring &relative, Tree &tree)
{
    WIN32_FIND_DATAW found{};
    const std::wstring folder = relative.empty() ? directory : directory + L"\\" + relative;
    platform::win32::UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!find.valid())
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            tree[path] = "<folder>";
            addTree(directory, path, tree);
        } else {
            tree[path] = readFile(directory + L"\\" + path);
        }
    } while (::FindNextFileW(find.get(), &found));
}

} // namespace

std::wstring builtProgram(const char *path)
{
    std::wstring wide = fromUtf8(path);
    wchar_t full[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : wide;
}

Sandbox::Sandbox()
{
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp, length) + L"orvan-setup-" + std::to_wstring(::GetCurrentProcessId()) +
            L"-" + std::to_wstring(++counter);
    removeTree(root_);
    for (const std::wstring &folder : {root_, root_ + L"\\ORVAN", menuDir(), packageDir()})
        EXPECT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr)) << ::GetLastError();
    copy(builtProgram(FAKE_MENU_OLD), launcher());
    write(menuDir() + L"\\payload.txt", "old payload");
    write(menuDir() + L"\\platforms\\qwindows.dll", "old qwindows");
    write(menuDir() + L"\\menu.ini", "kept by the installation");
    copy(builtProgram(SETUP_EXE), packageDir() + L"\\setup.exe");
    copy(builtProgram(FAKE_MENU_NEW), packageDir() + L"\\menu.exe");
    write(packageDir() + L"\\payload.txt", "new payload");
    write(packageDir() + L"\\platforms\\qwindows.dll", "new qwindows");
    write(packageDir() + L"\\imageformats\\qjpeg.dll", "new qjpeg");
    write(packageDir() + L"\\styles\\deep\\qstyle.dll", "new style");
}

Sandbox::~Sandbox()
{
    removeTree(root_);
}

void Sandbox::write(const std::wstring &path, const std::string &contents) const
{
    const size_t slash = path.find_last_of(L'\\');
    // Parents first; an existing one fails harmlessly.
    for (size_t next = root_.size() + 1; next < slash; ++next) {
        next = path.find(L'\\', next);
        ::CreateDirectoryW(path.substr(0, next).c_str(), nullptr);
    }
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid()) << ::GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), contents.data(), static_cast<DWORD>(contents.size()),
                            &written, nullptr));
}

void Sandbox::copy(const std::wstring &from, const std::wstring &to) const
{
    ASSERT_TRUE(::CopyFileW(from.c_str(), to.c_str(), FALSE)) << ::GetLastError();
}

std::vector<std::wstring> Sandbox::startedLaunchers() const
{
    const std::string bytes = readFile(marker());
    const std::wstring text(reinterpret_cast<const wchar_t *>(bytes.data()),
                            bytes.size() / sizeof(wchar_t));
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
         start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

Tree treeOf(const std::wstring &directory)
{
    Tree tree;
    addTree(directory, {}, tree);
    return tree;
}

std::string differences(const Tree &actual, const Tree &expected)
{
    std::string text;
    const auto name = [](const std::wstring &path) {
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                               nullptr, 0, nullptr, nullptr);
        std::string utf8(static_cast<size_t>(size), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), utf8.data(),
                              size, nullptr, nullptr);
        return utf8;
    };
    for (const auto &[path, contents] : actual) {
        const auto other = expected.find(path);
        if (other == expected.end())
            text += "unexpected " + name(path) + "\n";
        else if (other->second != contents)
            text += "different " + name(path) + "\n";
    }
    for (const auto &[path, contents] : expected) {
        if (actual.count(path) == 0)
            text += "missing " + name(path) + "\n";
    }
    return text;
}

ScopedVariable::ScopedVariable(const wchar_t *name, const std::optional<std::wstring> &value)
    : name_(name)
{
    wchar_t old[4096];
    const DWORD length = ::GetEnvironmentVariableW(name, old, 4096);
    if (length > 0 && length < 4096)
        saved_ = std::wstring(old, length);
    ::SetEnvironmentVariableW(name, value ? value->c_str() : nullptr);
}

ScopedVariable::~ScopedVariable()
{
    ::SetEnvironmentVariableW(name_.c_str(), saved_ ? saved_->c_str() : nullptr);
}

NamedEvent::NamedEvent(const std::wstring &purpose)
{
    static std::atomic<int> counter{0};
    name = L"orvan-setup-test-" + purpose + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
    handle.reset(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
}

HeldLauncher::HeldLauncher(const std::wstring &program)
{
    std::wstring commandLine = L"\"" + program + L"\" --hold " + ready_.name + L" " + release_.name;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started))
        return;
    process_.reset(started.hProcess);
    UniqueHandle thread(started.hThread);
    running_ = ready_.waitSet();
}

bool HeldLauncher::release()
{
    if (!process_.valid())
        return false;
    ::SetEvent(release_.handle.get());
    DWORD status = 1;
    const bool ended = ::WaitForSingleObject(process_.get(), 60'000) == WAIT_OBJECT_0 &&
                       ::GetExitCodeProcess(process_.get(), &status);
    if (!ended)
        ::TerminateProcess(process_.get(), 9);
    process_.reset();
    return ended && status == 0;
}

HeldLauncher::~HeldLauncher()
{
    release();
}

SetupRun::SetupRun(const Sandbox &sandbox, const std::vector<std::wstring> &arguments)
    : errors_(sandbox.root() + L"\\setup-errors.txt")
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueHandle errors(::CreateFileW(errors_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::wstring program = sandbox.packageDir() + L"\\setup.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    for (const std::wstring &argument : arguments)
        commandLine += L" \"" + argument + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = errors.get();
    startup.hStdError = errors.get();
    PROCESS_INFORMATION started{};
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         sandbox.packageDir().c_str(), &startup, &started)) {
        process_.reset(started.hProcess);
        UniqueHandle thread(started.hThread);
    }
    EXPECT_TRUE(process_.valid()) << "setup.exe did not start: " << ::GetLastError();
}

std::pair<DWORD, std::wstring> SetupRun::finish()
{
    DWORD status = 999;
    if (!process_.valid())
        return {status, L""};
    if (::WaitForSingleObject(process_.get(), 120'000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process_.get(), 998);
        ADD_FAILURE() << "setup.exe did not end (a message box?)";
    }
    ::GetExitCodeProcess(process_.get(), &status);
    process_.reset();
    return {status, fromUtf8(readFile(errors_))};
}

} // namespace menu::test
