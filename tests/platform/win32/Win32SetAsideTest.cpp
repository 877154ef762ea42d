// A program's file that someone runs, replaced as a Team Viewer update replaces it: moved
// aside where Windows allows it, refused with the target intact where it does not, and the
// moved copy removed once free.
#include "platform/AtomicFile.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinError.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <windows.h>

using menu::test::TempDir;
namespace platform = menu::platform;
using platform::win32::wide;

namespace {

// A real DLL this process has loaded, to copy as the program someone runs.
QString loadedDll()
{
    wchar_t path[MAX_PATH] = {};
    const HMODULE module = ::GetModuleHandleW(L"libwinpthread-1.dll");
    if (module == nullptr || ::GetModuleFileNameW(module, path, MAX_PATH) == 0)
        return {};
    return QString::fromWCharArray(path);
}

// Whatever keeps the file open; its end lets the file go.
using Holder = std::shared_ptr<void>;

Holder loadedByTheLoader(const QString &path)
{
    const HMODULE module = ::LoadLibraryW(wide(path).c_str());
    if (module == nullptr)
        return nullptr;
    return Holder(module, [](void *m) { ::FreeLibrary(static_cast<HMODULE>(m)); });
}

Holder openedSharing(const QString &path, DWORD share)
{
    const HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_EXECUTE, share,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    return Holder(file, [](void *h) { ::CloseHandle(h); });
}

QStringList everything(const TempDir &dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

TEST(Win32SetAside, AFileInUseIsMovedAsideAndGoesOnceFree)
{
    const QString dll = loadedDll();
    ASSERT_FALSE(dll.isEmpty());
    const struct {
        const char *name;
        std::function<Holder(const QString &)> hold;
    } cases[] = {
        {"loaded by the loader", loadedByTheLoader},
        {"opened with the loader's sharing",
         [](const QString &p) { return openedSharing(p, FILE_SHARE_READ | FILE_SHARE_DELETE); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const QString program = dir.file(QStringLiteral("TeamViewerQS.exe"));
        ASSERT_TRUE(QFile::copy(dll, program));
        const QByteArray old = dir.read(QStringLiteral("TeamViewerQS.exe"));
        Holder colleague = c.hold(program);
        ASSERT_TRUE(colleague) << platform::win32::systemMessage(::GetLastError()).toStdString();

        ASSERT_TRUE(platform::replaceFileContent(program, "new", {.setAsideInUse = true}).ok());
        EXPECT_EQ(dir.read(QStringLiteral("TeamViewerQS.exe")), QByteArray("new"));
        // The colleague's file keeps its bytes, hidden beside the new one, while in use.
        QStringList files = everything(dir);
        ASSERT_EQ(files.size(), 2) << files.join(u' ').toStdString();
        files.removeAll(QStringLiteral("TeamViewerQS.exe"));
        ASSERT_TRUE(files[0].startsWith(QStringLiteral(".TeamViewerQS.exe.")));
        EXPECT_EQ(dir.read(files[0]), old);
        EXPECT_NE(::GetFileAttributesW(wide(dir.file(files[0])).c_str()) & FILE_ATTRIBUTE_HIDDEN,
                  0u);
        platform::removeSetAsideCopies(program);
        EXPECT_EQ(everything(dir).size(), 2);

        colleague.reset();
        platform::removeSetAsideCopies(program);
        EXPECT_EQ(everything(dir), QStringList{QStringLiteral("TeamViewerQS.exe")});
    }
}

TEST(Win32SetAside, AFileThatMayNotEvenBeRenamedStaysAndIsReportedBusy)
{
    TempDir dir;
    const QString program = dir.write(QStringLiteral("TeamViewerQS.exe"), "old");
    const Holder colleague = openedSharing(program, FILE_SHARE_READ);
    ASSERT_TRUE(colleague);

    const menu::Status refused =
        platform::replaceFileContent(program, "new", {.setAsideInUse = true});
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.failure().is(std::errc::device_or_resource_busy))
        << refused.failure().code.message();
    EXPECT_EQ(dir.read(QStringLiteral("TeamViewerQS.exe")), QByteArray("old"));
    EXPECT_EQ(everything(dir), QStringList{QStringLiteral("TeamViewerQS.exe")});
}
