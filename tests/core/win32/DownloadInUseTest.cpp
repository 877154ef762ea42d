// A download over a program that someone runs and that Windows lets nobody move: the user is
// told in Slovak that the program is in use, and the program stays.
#include "core/Download.h"
#include "core/Texts.h"
#include "core/UpdateTexts.h"
#include "platform/Files.h"
#include "platform/win32/WinError.h"
#include "support/ScriptedHttpServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>
#include <windows.h>

using menu::test::ScriptedHttpServer;
namespace texts = menu::core::texts;

TEST(DownloadInUse, AProgramThatCannotBeMovedAsideIsToldAsInUseAndStays)
{
    menu::test::TempDir dir;
    const QString program = dir.write(QStringLiteral("TeamViewerQS.exe"), "old");
    // Opened without share-delete: neither a replace nor a rename gets through.
    const HANDLE held = ::CreateFileW(menu::platform::win32::wide(program).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ScriptedHttpServer server;
    server.answer(ScriptedHttpServer::response("HTTP/1.0 200 OK", "", "new"));

    const menu::core::DownloadResult outcome =
        menu::core::download(server.address(QStringLiteral("/FILES/TeamViewerQS.exe")), program);
    ::CloseHandle(held);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.targetInUse);
    EXPECT_EQ(outcome.text, texts::downloadCritical());
    EXPECT_EQ(outcome.hint, texts::downloadCriticalHint(texts::downloadTargetInUse(program)));
    EXPECT_TRUE(outcome.hint.contains(QStringLiteral("sa práve používa")));
    EXPECT_TRUE(outcome.hint.contains(menu::platform::nativePath(program)));
    EXPECT_EQ(dir.read(QStringLiteral("TeamViewerQS.exe")), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("TeamViewerQS.exe")});
}
