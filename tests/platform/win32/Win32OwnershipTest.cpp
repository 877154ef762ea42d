// Whose files and folders are on the Windows side, and what that decides: a private folder lets
// in nobody else, the start-up cleanup removes only this user's old update folders, a link is
// removed rather than entered and followed only when it is this user's. Wine keeps of an access
// list only what Unix permission bits can say, gives nothing away and makes no links; what
// needs more is skipped there.
#include "platform/AtomicFile.h"
#include "platform/Files.h"
#include "platform/PrivateDir.h"
#include "platform/win32/Ownership.h"
#include "platform/win32/WinError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

using menu::test::TempDir;
namespace platform = menu::platform;
namespace win32 = menu::platform::win32;

namespace {

using namespace std::chrono_literals;

// A folder made with the access list sddl gives ("" for the usual one).
QString folderWith(const TempDir &dir, const QString &name, const wchar_t *sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (*sddl != L'\0') {
        EXPECT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                           &descriptor, nullptr));
        attributes.lpSecurityDescriptor = descriptor;
    }
    const QString path = dir.file(name);
    EXPECT_TRUE(::CreateDirectoryW(win32::wide(path).c_str(), &attributes));
    ::LocalFree(descriptor);
    return path;
}

// Gives the entry at path (a link itself) to the users' group; false where that is refused.
bool giveAway(const QString &path)
{
    const win32::UniqueHandle entry = win32::openEntry(path, WRITE_OWNER);
    PSID users = nullptr;
    if (!entry.valid() || !::ConvertStringSidToSidW(L"S-1-5-32-545", &users))
        return false;
    const DWORD set = ::SetSecurityInfo(entry.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                        users, nullptr, nullptr, nullptr);
    ::LocalFree(users);
    return set == ERROR_SUCCESS && win32::ownerOf(path) == win32::Owner::Other;
}

void age(const QString &path)
{
    const win32::UniqueHandle entry = win32::openEntry(path, FILE_WRITE_ATTRIBUTES);
    ASSERT_TRUE(entry.valid());
    FILETIME old{};
    ::GetSystemTimeAsFileTime(&old);
    ULARGE_INTEGER ticks{{old.dwLowDateTime, old.dwHighDateTime}};
    ticks.QuadPart -= 2ULL * 3600 * 10000000;
    old = {ticks.LowPart, ticks.HighPart};
    ASSERT_TRUE(::SetFileTime(entry.get(), nullptr, nullptr, &old));
}

// A symbolic link at link naming target; false where the system makes none (Wine says it
// made one and makes nothing).
bool symbolicLink(const QString &link, const QString &target, DWORD flags = 0)
{
    ::CreateSymbolicLinkW(win32::wide(link).c_str(), win32::wide(target).c_str(),
                          flags | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = ::GetFileAttributesW(win32::wide(link).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Whether folders keep the access list they were made with: Wine keeps only what Unix
// permission bits can say (this user, the system, everybody).
bool keepsAccessLists(const TempDir &dir)
{
    const QString probe = folderWith(dir, QStringLiteral("probe"), L"D:P(A;;FA;;;BU)");
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const bool read = ::GetNamedSecurityInfoW(win32::wide(probe).c_str(), SE_FILE_OBJECT,
                                              DACL_SECURITY_INFORMATION, nullptr, nullptr, &list,
                                              nullptr, &descriptor) == ERROR_SUCCESS;
    PSID users = nullptr;
    ::ConvertStringSidToSidW(L"S-1-5-32-545", &users);
    void *entry = nullptr;
    const bool kept = read && list != nullptr && list->AceCount == 1 && ::GetAce(list, 0, &entry) &&
                      ::EqualSid(&static_cast<ACCESS_ALLOWED_ACE *>(entry)->SidStart, users);
    ::LocalFree(users);
    ::LocalFree(descriptor);
    return kept;
}

TEST(Win32Ownership, APrivateFolderLetsInOnlyThisUserTheSystemAndTheAdministrators)
{
    TempDir dir;
    struct Case {
        const wchar_t *sddl;
        bool onlyOwners;
        bool needsExactList; // shown only where the list is kept as given
    } const cases[] = {
        {L"D:P(A;OICI;FA;;;OW)(A;OICI;FA;;;SY)", true, false},
        {L"D:P(A;OICI;FA;;;OW)(A;;FA;;;BA)(A;OICIIO;FA;;;CO)", true, false},
        {L"D:P(D;;FA;;;WD)(A;;FA;;;OW)", true, false},
        {L"D:P(A;OICI;FA;;;OW)(A;;FR;;;WD)", false, false},
        {L"D:P(A;OICI;FA;;;OW)(A;;FA;;;BU)", false, true},
        {L"D:NO_ACCESS_CONTROL", false, true},
    };
    const bool exact = keepsAccessLists(dir);
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(QString::fromWCharArray(c.sddl).toStdString());
        if (c.needsExactList && !exact)
            continue;
        const QString path = folderWith(dir, QString::number(++n), c.sddl);
        const win32::UniqueHandle folder = win32::openEntry(path, 0);
        ASSERT_TRUE(folder.valid());
        EXPECT_EQ(win32::onlyOwnersAllowed(folder.get()), c.onlyOwners);
        EXPECT_EQ(win32::ownerOf(folder.get()), win32::Owner::User);
    }
    const auto made = platform::PrivateDir::create(dir.path(), QStringLiteral("orvan-update-"));
    ASSERT_TRUE(made.ok());
    EXPECT_TRUE(win32::onlyOwnersAllowed(win32::openEntry(made->path(), 0).get()));
}

TEST(Win32Ownership, StartUpCleanupRemovesOnlyThisUsersOldUpdateFolders)
{
    TempDir dir;
    const QString mine = folderWith(dir, QStringLiteral("orvan-update-aaaaaa"), L"");
    dir.write(QStringLiteral("orvan-update-aaaaaa/setup.exe"), "MZ");
    const QString young = folderWith(dir, QStringLiteral("orvan-update-bbbbbb"), L"");
    const QString theirs = folderWith(dir, QStringLiteral("orvan-update-cccccc"), L"");
    age(mine);
    const bool given = giveAway(theirs);
    if (given)
        age(theirs);
    EXPECT_EQ(platform::removeStalePrivateDirs(dir.path(), QStringLiteral("orvan-update-"), 3600s),
              1);
    EXPECT_FALSE(platform::exists(mine));
    EXPECT_TRUE(platform::exists(young));
    if (!given)
        GTEST_SKIP() << "this system lets nobody give a folder away";
    EXPECT_TRUE(platform::exists(theirs));
}

TEST(Win32Ownership, LinksAreRemovedNotEnteredAndFollowedOnlyWhenTrusted)
{
    TempDir dir;
    const QString outside = dir.write(QStringLiteral("outside/keep.txt"), "keep");
    QString made;
    {
        auto privateDir = platform::PrivateDir::create(dir.path(), QStringLiteral("orvan-update-"));
        ASSERT_TRUE(privateDir.ok());
        made = privateDir->path();
        if (!symbolicLink(made + QStringLiteral("/swapped"), dir.file(QStringLiteral("outside")),
                          SYMBOLIC_LINK_FLAG_DIRECTORY))
            GTEST_SKIP() << "this system makes no symbolic links (Wine)";
    }
    EXPECT_FALSE(platform::exists(made));
    EXPECT_EQ(dir.read(QStringLiteral("outside/keep.txt")), "keep") << outside.toStdString();

    // A link at menu.ini: this user's is written through, anyone else's is replaced.
    const QString real = dir.write(QStringLiteral("real.ini"), "old");
    const QString link = dir.file(QStringLiteral("menu.ini"));
    ASSERT_TRUE(symbolicLink(link, real));
    platform::AtomicFile::Options follow;
    follow.followLink = true;
    ASSERT_TRUE(platform::replaceFileContent(link, "mine", follow).ok());
    EXPECT_EQ(dir.read(QStringLiteral("real.ini")), "mine");
    if (!giveAway(link))
        GTEST_SKIP() << "this system lets nobody give a link away";
    ASSERT_TRUE(platform::replaceFileContent(link, "planted", follow).ok());
    EXPECT_EQ(dir.read(QStringLiteral("real.ini")), "mine");
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), "planted");
}

} // namespace
