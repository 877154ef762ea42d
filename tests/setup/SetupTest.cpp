// setup.exe run for real against a launcher's directory laid out as ...\ORVAN\MENU and a
// package in ...\ORVAN-INSTAL: it waits for the running launcher, puts the package in place or
// leaves the old launcher whole, and starts the right one.
#include "setup/SetupSandbox.h"

#include <gtest/gtest.h>

using namespace menu::test;

namespace {

const std::wstring kNoTarget = L"Inštalácia nevie, ktorý program ORVAN-Základná ponuka má nahradiť.";
const std::wstring kNotEnded =
    L"Program ORVAN-Základná ponuka sa neukončil, inštalácia ho nemôže nahradiť.";
const std::wstring kFailed = L"Inštalácia sa nepodarila: ";
const std::wstring kOldStays = L"\r\nPôvodný program ORVAN-Základná ponuka zostáva.";

bool sameName(const std::wstring &a, const std::wstring &b)
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The environment every run sees: quiet, and the fake launchers' marker and event.
struct QuietRun {
    explicit QuietRun(const Sandbox &sandbox)
        : quiet(L"ORVAN_SETUP_QUIET", L"1"), marker(L"FAKE_MENU_MARKER", sandbox.marker()),
          startedName(L"FAKE_MENU_STARTED", started.name)
    {
    }
    NamedEvent started{L"started"};
    ScopedVariable quiet;
    ScopedVariable marker;
    ScopedVariable startedName;
    ScopedVariable target{L"ORVAN_MENU", std::nullopt};
    ScopedVariable wait{L"ORVAN_SETUP_WAIT_MS", std::nullopt};
};

} // namespace

TEST(SetupInstall, WaitsForEveryRunningLauncherThenPutsThePackageInPlaceAndStartsTheNewOne)
{
    Sandbox sandbox;
    QuietRun run(sandbox);
    Tree expected = treeOf(sandbox.menuDir());
    for (const auto &[path, contents] : treeOf(sandbox.packageDir()))
        expected[path] = contents;
    expected.erase(L"setup.exe");
    ASSERT_NE(differences(treeOf(sandbox.menuDir()), expected), "");

    HeldLauncher first(sandbox.launcher());
    HeldLauncher second(sandbox.launcher());
    ASSERT_TRUE(first.running() && second.running());
    // The launcher names itself, in whatever case; the processes' images are compared case-blind.
    ScopedVariable target(L"ORVAN_MENU", sandbox.root() + L"\\orvan\\Menu\\MENU.EXE");
    SetupRun setup(sandbox, {});
    EXPECT_TRUE(first.release());
    EXPECT_TRUE(second.release());
    const auto [status, errors] = setup.finish();

    EXPECT_EQ(status, 0u) << errors;
    EXPECT_EQ(errors, L"");
    // Subfolders too, the launcher's own files kept, no temporary names left.
    EXPECT_EQ(differences(treeOf(sandbox.menuDir()), expected), "");
    ASSERT_TRUE(run.started.waitSet()) << "no launcher was started";
    const auto started = sandbox.startedLaunchers();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_TRUE(sameName(started[0], L"new|" + sandbox.menuDir())) << started[0];
}

TEST(SetupInstall, AFailedInstallationLeavesTheOldFilesAsTheyWereAndStartsTheOldLauncher)
{
    struct Case {
        const char *what;
        std::wstring blocked; // the file named in the message
    } const cases[] = {
        // Before anything is renamed: a folder of the package cannot be made.
        {"a file where the package has a folder", L"imageformats"},
        // While renaming, after every other file: the old ones must come back.
        {"the launcher held open without delete sharing", L"menu.exe"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Sandbox sandbox;
        QuietRun run(sandbox);
        if (c.blocked == L"imageformats")
            sandbox.write(sandbox.menuDir() + L"\\imageformats", "a file");
        UniqueHandle holder;
        if (c.blocked == L"menu.exe")
            holder.reset(::CreateFileW(sandbox.launcher().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
        const Tree before = treeOf(sandbox.menuDir());

        const auto [status, errors] = SetupRun(sandbox, {sandbox.launcher()}).finish();

        EXPECT_EQ(status, 3u) << errors;
        EXPECT_EQ(errors.find(kFailed + c.blocked), 0u) << errors;
        EXPECT_NE(errors.find(kOldStays), std::wstring::npos) << errors;
        holder.reset();
        EXPECT_EQ(differences(treeOf(sandbox.menuDir()), before), "");
        ASSERT_TRUE(run.started.waitSet()) << "the old launcher was not started again";
        const auto started = sandbox.startedLaunchers();
        ASSERT_EQ(started.size(), 1u);
        EXPECT_TRUE(sameName(started[0], L"old|" + sandbox.menuDir())) << started[0];
    }
}

TEST(SetupRefusal, WithoutALauncherInAnOrvanMenuFolderNothingIsTouched)
{
    struct Case {
        const char *what;
        std::optional<std::wstring> environment; // relative to the sandbox's root
        std::optional<std::wstring> argument;
    } const cases[] = {
        {"neither argument nor environment", std::nullopt, std::nullopt},
        {"another folder of ORVAN", L"\\ORVAN\\OTHER\\menu.exe", std::nullopt},
        {"back out of MENU by ..", std::nullopt, L"\\ORVAN\\MENU\\..\\OTHER\\menu.exe"},
        {"MENU not under ORVAN", std::nullopt, L"\\ORVAN\\OTHER\\XORVAN\\MENU\\menu.exe"},
        {"another program in MENU", std::nullopt, L"\\ORVAN\\MENU\\payload.txt"},
        {"the argument overrides the environment", L"\\ORVAN\\MENU\\menu.exe",
         L"\\ORVAN\\OTHER\\menu.exe"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Sandbox sandbox;
        QuietRun run(sandbox);
        sandbox.write(sandbox.root() + L"\\ORVAN\\OTHER\\XORVAN\\MENU\\menu.exe", "menu");
        sandbox.copy(sandbox.launcher(), sandbox.root() + L"\\ORVAN\\OTHER\\menu.exe");
        const Tree before = treeOf(sandbox.root() + L"\\ORVAN");
        std::optional<ScopedVariable> target;
        if (c.environment)
            target.emplace(L"ORVAN_MENU", sandbox.root() + *c.environment);
        std::vector<std::wstring> arguments;
        if (c.argument)
            arguments.push_back(sandbox.root() + *c.argument);

        const auto [status, errors] = SetupRun(sandbox, arguments).finish();

        EXPECT_EQ(status, 1u) << errors;
        EXPECT_EQ(errors, kNoTarget + L"\r\n");
        EXPECT_EQ(differences(treeOf(sandbox.root() + L"\\ORVAN"), before), "");
        EXPECT_TRUE(sandbox.startedLaunchers().empty());
    }
}

TEST(SetupWait, ALauncherThatDoesNotEndIsLeftAsItWas)
{
    Sandbox sandbox;
    QuietRun run(sandbox);
    ScopedVariable wait(L"ORVAN_SETUP_WAIT_MS", L"300");
    const Tree before = treeOf(sandbox.menuDir());
    HeldLauncher held(sandbox.launcher());
    ASSERT_TRUE(held.running());

    // Named through a detour and in other case, which must still lead to the running launcher.
    const auto [status, errors] =
        SetupRun(sandbox, {sandbox.root() + L"\\orvan\\menu\\platforms\\..\\MENU.exe"}).finish();

    EXPECT_EQ(status, 2u) << errors;
    EXPECT_EQ(errors, kNotEnded + L"\r\n");
    EXPECT_TRUE(held.release());
    EXPECT_EQ(differences(treeOf(sandbox.menuDir()), before), "");
    EXPECT_TRUE(sandbox.startedLaunchers().empty());
}
