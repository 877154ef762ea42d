// The Windows side's shell, desktop folders, shortcuts, single instance and internet state,
// against the system itself.
#include "platform/Files.h"
#include "platform/win32/Win32InternetState.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/Win32SingleInstance.h"
#include "platform/win32/Win32DesktopFolders.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/WinError.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <windows.h>
#include <ws2tcpip.h>
#include <shellapi.h>
#include <propidl.h>
#include <propsys.h>
#include <shlobj.h>
#include <tlhelp32.h>

using menu::test::TempDir;
namespace platform = menu::platform;
using platform::win32::wide;

namespace {

QString thisProgram()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return QString::fromWCharArray(path);
}

// Ends the programs this process started (a folder opened in the file manager): they would
// outlive the test.
void endChildren()
{
    const platform::win32::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != ::GetCurrentProcessId())
            continue;
        const platform::win32::UniqueHandle child(
            ::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (child.valid())
            ::TerminateProcess(child.get(), 0);
    }
}

} // namespace

TEST(Win32Shell, ResultsAreTheShellsOwnNumbers)
{
    TempDir dir;
    const QString document = dir.write(QStringLiteral("poznámka.orvan-bez-aplikacie"), "x");
    platform::Win32Shell shell;

    const auto missing = shell.open(dir.file(QStringLiteral("chýba.exe")), dir.path(), 0);
    EXPECT_EQ(static_cast<int>(missing.code), SE_ERR_FNF);
    ASSERT_TRUE(missing.reason.has_value());
    EXPECT_TRUE(missing.reason->is(std::errc::no_such_file_or_directory));

    const auto noPath = shell.open(dir.file(QStringLiteral("chýba/tav.exe")), dir.path(), 0);
    EXPECT_FALSE(noPath.started());
    const int noPathCode = static_cast<int>(noPath.code);
    EXPECT_TRUE(noPathCode == SE_ERR_PNF || noPathCode == SE_ERR_FNF) << noPathCode;

    const auto unknown = shell.open(document, dir.path(), 0);
    EXPECT_EQ(static_cast<int>(unknown.code), SE_ERR_NOASSOC);

    const auto folder = shell.open(dir.path(), dir.path(), 0);
    EXPECT_TRUE(folder.started()) << static_cast<int>(folder.code);
    endChildren();
}

TEST(Win32Desktop, BothDesktopsAreFoldersOfTheirOwn)
{
    const platform::Win32DesktopFolders desktops;
    const QString own = desktops.folder(platform::DesktopKind::CurrentUser);
    const QString shared = desktops.folder(platform::DesktopKind::AllUsers);
    EXPECT_TRUE(platform::isDirectory(own)) << own.toStdString();
    EXPECT_TRUE(platform::isDirectory(shared)) << shared.toStdString();
    EXPECT_NE(own.toCaseFolded(), shared.toCaseFolded());
    EXPECT_FALSE(own.endsWith(u'/'));
    EXPECT_EQ(desktops.shortcutFiles(own, QStringLiteral("ORVAN")),
              QStringList{own + QStringLiteral("/ORVAN.lnk")});
}

TEST(Win32Desktop, ShortcutReadsBackThroughTheShellAndIsNeverReplaced)
{
    TempDir dir;
    const QString target = dir.write(QStringLiteral("ORVAN/MENU/menu.exe"), "MZ");
    const platform::Shortcut shortcut{QStringLiteral("ORVAN"), target,
                                      dir.file(QStringLiteral("ORVAN/MENU"))};
    const platform::Win32DesktopFolders desktops;
    ASSERT_TRUE(desktops.createShortcut(dir.path(), shortcut).ok());
    const QString link = dir.file(QStringLiteral("ORVAN.lnk"));

    const platform::win32::ComApartment apartment;
    platform::win32::ComPtr<IShellLinkW> shell;
    ASSERT_TRUE(
        SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void **>(shell.put()))));
    platform::win32::ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(shell.as(file)));
    ASSERT_TRUE(SUCCEEDED(file->Load(wide(link).c_str(), STGM_READ)));
    wchar_t text[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(shell->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)));
    EXPECT_EQ(QString::fromWCharArray(text).toCaseFolded(),
              QString::fromStdWString(wide(target)).toCaseFolded());
    ASSERT_TRUE(SUCCEEDED(shell->GetWorkingDirectory(text, MAX_PATH)));
    EXPECT_EQ(QString::fromWCharArray(text).toCaseFolded(),
              QString::fromStdWString(wide(shortcut.workingDir)).toCaseFolded());
    int icon = -1;
    ASSERT_TRUE(SUCCEEDED(shell->GetIconLocation(text, MAX_PATH, &icon)));
    EXPECT_EQ(QString::fromWCharArray(text).toCaseFolded(),
              QString::fromStdWString(wide(target)).toCaseFolded());
    EXPECT_EQ(icon, 0);
    // The window's identity, so that a pinned shortcut and the running launcher are one.
    platform::win32::ComPtr<IPropertyStore> store;
    ASSERT_TRUE(SUCCEEDED(shell.as(store)));
    const PROPERTYKEY appId = {
        {0x9F4C2855, 0x9F79, 0x4B39, {0xA8, 0xD0, 0xE1, 0xD4, 0x2D, 0xE1, 0xD5, 0xF3}}, 5};
    PROPVARIANT value;
    ::PropVariantInit(&value);
    const HRESULT got = store->GetValue(appId, &value);
    // Wine's link object may not keep the property in the file, nor answer for it; Windows'
    // does both.
    const bool wine =
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (!wine || (SUCCEEDED(got) && value.vt != VT_EMPTY)) {
        ASSERT_TRUE(SUCCEEDED(got));
        ASSERT_EQ(value.vt, VT_LPWSTR);
        EXPECT_EQ(std::wstring(value.pwszVal), std::wstring(platform::kAppUserModelId));
    }
    ::PropVariantClear(&value);

    const qint64 size = platform::readWholeFile(link, 1 << 20)->size();
    const menu::Status again = desktops.createShortcut(dir.path(), shortcut);
    ASSERT_FALSE(again.ok());
    EXPECT_TRUE(again.failure().is(std::errc::file_exists));
    EXPECT_EQ(platform::readWholeFile(link, 1 << 20)->size(), size);
    EXPECT_EQ(platform::directoryEntries(dir.path())->size(), 2) << "a temporary link stayed";
}

// The second process of the test below: claims the instance named in MENU_TEST_INSTANCE and,
// when another holds it, asks that one forward. Says each step as soon as it is taken.
TEST(Win32SingleInstance, SecondProcess)
{
    const QString name = qEnvironmentVariable("MENU_TEST_INSTANCE");
    if (name.isEmpty())
        GTEST_SKIP() << "started by MutexHeldByAnotherProcess only";
    using Claim = platform::SingleInstance::Claim;
    platform::Win32SingleInstance instance(name);
    const Claim claim = instance.claim();
    std::printf("claim=%s\n", claim == Claim::Claimed ? "claimed"
                              : claim == Claim::Held  ? "held"
                                                      : "unavailable");
    std::fflush(stdout);
    if (claim == Claim::Held)
        std::printf("raised=%d\n", instance.raiseRunning() ? 1 : 0);
}

// The holder listens only once the second start has found the claim held: the second start
// waits for it rather than giving up on a launcher that is still starting.
TEST(Win32SingleInstance, MutexHeldByAnotherProcess)
{
    int argc = 1;
    char name[] = "platform-tests";
    char *argv[] = {name, nullptr};
    const QCoreApplication app(argc, argv);
    const QString instanceName = QStringLiteral("Orvan-Menu-test-%1").arg(::GetCurrentProcessId());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MENU_TEST_INSTANCE"), instanceName);
    const auto startSecond = [&](QProcess &process) {
        process.setProcessEnvironment(environment);
        process.start(thisProgram(),
                      {QStringLiteral("--gtest_filter=Win32SingleInstance.SecondProcess")});
    };

    auto first = std::make_unique<platform::Win32SingleInstance>(instanceName);
    ASSERT_EQ(first->claim(), platform::SingleInstance::Claim::Claimed);
    QProcess process;
    startSecond(process);
    QByteArray out;
    while (!out.contains("claim=") && process.waitForReadyRead(120000))
        out += process.readAllStandardOutput();
    EXPECT_TRUE(out.contains("claim=held")) << out.toStdString();
    bool raised = false;
    QEventLoop loop;
    first->listen([&] {
        raised = true;
        loop.quit();
    });
    EXPECT_TRUE(process.waitForFinished(120000));
    out += process.readAllStandardOutput();
    EXPECT_TRUE(out.contains("raised=1")) << out.toStdString();
    // The raise arrives as an event of the loop; the timer only ends a test that would hang.
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (!raised)
        loop.exec();
    EXPECT_TRUE(raised);

    first.reset();
    QProcess after;
    startSecond(after);
    EXPECT_TRUE(after.waitForFinished(120000));
    const QByteArray afterOut = after.readAllStandardOutput();
    EXPECT_TRUE(afterOut.contains("claim=claimed")) << afterOut.toStdString();
    EXPECT_FALSE(afterOut.contains("raised=")) << afterOut.toStdString();
}

TEST(Win32Internet, AdaptersThatAreUpWithAnAddressBeyondTheirLinkConnect)
{
    struct Case {
        const char *name;
        IFTYPE type;
        IF_OPER_STATUS status;
        const char *address; // IPv4 or IPv6 text
        bool connected;
    } const cases[] = {
        {"ethernet", IF_TYPE_ETHERNET_CSMACD, IfOperStatusUp, "192.168.1.20", true},
        {"wireless IPv6", IF_TYPE_IEEE80211, IfOperStatusUp, "2001:db8::5", true},
        {"cable out", IF_TYPE_ETHERNET_CSMACD, IfOperStatusDown, "192.168.1.20", false},
        {"no server answered", IF_TYPE_ETHERNET_CSMACD, IfOperStatusUp, "169.254.3.4", false},
        {"link-local only", IF_TYPE_ETHERNET_CSMACD, IfOperStatusUp, "fe80::1", false},
        {"loopback", IF_TYPE_SOFTWARE_LOOPBACK, IfOperStatusUp, "127.0.0.1", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SOCKADDR_STORAGE storage{};
        if (std::strchr(c.address, ':') != nullptr) {
            auto *ip6 = reinterpret_cast<sockaddr_in6 *>(&storage);
            ip6->sin6_family = AF_INET6;
            ASSERT_EQ(::inet_pton(AF_INET6, c.address, &ip6->sin6_addr), 1);
        } else {
            auto *ip4 = reinterpret_cast<sockaddr_in *>(&storage);
            ip4->sin_family = AF_INET;
            ASSERT_EQ(::inet_pton(AF_INET, c.address, &ip4->sin_addr), 1);
        }
        IP_ADAPTER_UNICAST_ADDRESS address{};
        address.Address.lpSockaddr = reinterpret_cast<SOCKADDR *>(&storage);
        address.Address.iSockaddrLength = sizeof storage;
        IP_ADAPTER_ADDRESSES adapter{};
        adapter.IfType = c.type;
        adapter.OperStatus = c.status;
        adapter.FirstUnicastAddress = &address;
        EXPECT_EQ(platform::anyConnectedAdapter(&adapter), c.connected);
    }
    EXPECT_TRUE(platform::Win32InternetState().connected().ok());
}
