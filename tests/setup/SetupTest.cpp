// setup.exe run for real, on both systems, against the fake launchers: side-by-side versions
// while colleagues run the old one, the flat installation of before, installations cut off at
// each step or run twice at once, the starter, and the installer's refusals.
#include "setup/SetupBench.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

using namespace menu::test;

namespace {

const std::string kNotEnded =
    "Program ORVAN-Základná ponuka sa neukončil, inštalácia ho nemôže nahradiť.";
const std::string kNoTarget = "Inštalácia nevie, ktorý program ORVAN-Základná ponuka má nahradiť.";
const std::string kOldStays = "Pôvodný program ORVAN-Základná ponuka zostáva";

// Line ends as one system writes them, the other's way: compared without the "\r".
std::string text(std::string written)
{
    std::erase(written, '\r');
    return written;
}

// What every run sees: quiet, the fake launchers' marker, and nothing else of ours.
struct Quiet {
    explicit Quiet(const Bench &bench) : marker("FAKE_MENU_MARKER", bench.marker().string()) {}
    ScopedVariable quiet{"ORVAN_SETUP_QUIET", "1"};
    ScopedVariable marker;
    ScopedVariable target{"ORVAN_MENU", std::nullopt};
    ScopedVariable wait{"ORVAN_SETUP_WAIT_MS", std::nullopt};
    ScopedVariable stop{"ORVAN_SETUP_STOP_AFTER", std::nullopt};
};

// The old launcher installed as a version, as a first installation makes it; its start ends.
void installOld(const Bench &bench)
{
    const Result result = runSetup(bench, {bench.starter().string()}, bench.package("old", "OLD"));
    ASSERT_EQ(result.status, 0) << result.errors;
    ASSERT_EQ(bench.current(), "1.0.0.1");
    ASSERT_TRUE(bench.startedCount(1));
}

std::string lastStarted(const Bench &bench)
{
    const auto lines = bench.started();
    return lines.empty() ? "" : lines.back();
}

std::string markerOf(const std::string &computer, std::int64_t age)
{
    return computer + "\njana\n" + std::to_string(std::time(nullptr) - age) + "\n1\n";
}

} // namespace

TEST(SetupVersions, AVersionGoesIntoAFolderOfItsOwnAndTheStarterStartsIt)
{
    Bench bench;
    Quiet quiet(bench);
    bench.package("new");
    Tree expected = treeOf(bench.root() / "ORVAN-INSTAL");
    expected.erase("setup.exe");

    const Result result = runSetup(bench, {bench.starter().string()});

    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(result.errors, "");
    EXPECT_EQ(bench.current(), "1.0.0.2");
    EXPECT_EQ(differences(treeOf(bench.versions() / "1.0.0.2"), expected), "");
    EXPECT_EQ(contents(bench.starter()), contents(bench.root() / "ORVAN-INSTAL" / "setup.exe"));
    ASSERT_TRUE(bench.startedCount(1));
    EXPECT_FALSE(fs::exists(bench.menu() / "setup.lock"));
    EXPECT_EQ(lastStarted(bench), "new|" + (bench.versions() / "1.0.0.2").string() + "|2");
}

TEST(SetupVersions, AColleagueKeepsTheOldVersionUntilItEnds)
{
    Bench bench;
    Quiet quiet(bench);
    installOld(bench);
    const fs::path old = bench.versions() / "1.0.0.1";
    const Tree before = treeOf(old);
    Running colleague(bench, old / kLauncher, old);
    ASSERT_TRUE(colleague.ready());
    bench.package("new");

    const Result result = runSetup(bench, {bench.starter().string()});

    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(bench.current(), "1.0.0.2");
    EXPECT_EQ(differences(treeOf(old), before), "") << "a file in use was changed";
    ASSERT_TRUE(bench.startedCount(2));
    EXPECT_EQ(lastStarted(bench).substr(0, 4), "new|");
    EXPECT_EQ(runStarter(bench).status, 0);
    ASSERT_TRUE(bench.startedCount(3));
    EXPECT_EQ(lastStarted(bench).substr(0, 4), "new|");
    EXPECT_TRUE(fs::exists(old)) << "removed while in use";
    EXPECT_EQ(colleague.release(), 0) << "the colleague's files changed under it";
    EXPECT_EQ(runStarter(bench).status, 0);
    EXPECT_FALSE(fs::exists(old)) << "an unused old version stays";
}

TEST(SetupVersions, AFlatInstallationIsConvertedAndItsFilesInUseStayUntilFree)
{
    Bench bench;
    Quiet quiet(bench);
    bench.flatOld();
    const std::string settings = contents(bench.menu() / "menu.ini");
    Running colleague(bench, bench.starter(), bench.menu());
    ASSERT_TRUE(colleague.ready());
    bench.package("new");

    const Result result = runSetup(bench, {bench.starter().string()});

    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(bench.current(), "1.0.0.2");
    EXPECT_EQ(contents(bench.starter()), contents(bench.root() / "ORVAN-INSTAL" / "setup.exe"));
    EXPECT_EQ(contents(bench.menu() / "menu.ini"), settings);
    EXPECT_TRUE(fs::exists(bench.menu() / "platforms" / "qwindows.dll")) << "removed while in use";
    ASSERT_TRUE(bench.startedCount(1));
    EXPECT_EQ(lastStarted(bench).substr(0, 4), "new|");
    EXPECT_EQ(colleague.release(), 0) << "the colleague's files changed under it";

    EXPECT_EQ(runStarter(bench).status, 0);
    Tree left;
    for (const auto &entry : fs::directory_iterator(bench.menu()))
        left[entry.path().filename().string()] = "";
    EXPECT_EQ(differences(left, {{kLauncher, ""}, {"menu.ini", ""}, {"versions", ""}}), "");
    EXPECT_EQ(contents(bench.menu() / "menu.ini"), settings);
}

TEST(SetupCrash, AnInstallationCutOffAtAnyStepLeavesAStartableVersionAndTheNextOneSucceeds)
{
    for (int step = 1; step <= 5; ++step) {
        SCOPED_TRACE(step);
        Bench bench;
        Quiet quiet(bench);
        installOld(bench);
        bench.package("new");
        {
            ScopedVariable stop("ORVAN_SETUP_STOP_AFTER", std::to_string(step));
            const Result cut = runSetup(bench, {bench.starter().string()});
            EXPECT_TRUE(cut.status == 9 || cut.status == 0) << cut.status << cut.errors;
            // A step the installation never reached: it ended well and started the launcher.
            if (cut.status == 0) {
                ASSERT_TRUE(bench.startedCount(2));
            }
        }
        const std::size_t before = bench.started().size();
        EXPECT_EQ(runStarter(bench).status, 0);
        ASSERT_TRUE(bench.startedCount(before + 1));
        EXPECT_TRUE(fs::exists(bench.versions() / bench.current() / kLauncher));

        const Result next = runSetup(bench, {bench.starter().string()});
        EXPECT_EQ(next.status, 0) << next.errors;
        EXPECT_EQ(bench.current(), "1.0.0.2");
        ASSERT_TRUE(bench.startedCount(before + 2));
        EXPECT_EQ(lastStarted(bench).substr(0, 4), "new|");
        Tree expected{{"current", ""}, {"1.0.0.2", ""}};
        Tree found;
        for (const auto &entry : fs::directory_iterator(bench.versions()))
            found[entry.path().filename().string()] = "";
        EXPECT_EQ(differences(found, expected), "");
        EXPECT_FALSE(fs::exists(bench.menu() / "setup.lock"));
    }
}

TEST(SetupMarker, AnotherSeatsInstallationIsNamedAndAStaleOneIsTakenOver)
{
    Bench bench;
    Quiet quiet(bench);
    installOld(bench);
    bench.package("new");
    ScopedVariable wait("ORVAN_SETUP_WAIT_MS", "300");
    write(bench.menu() / "setup.lock", markerOf("PC-UCTOVNICTVO", 5));

    const Result busy = runSetup(bench, {bench.starter().string()});

    EXPECT_EQ(busy.status, 6) << busy.errors;
    EXPECT_NE(text(busy.errors).find("používateľ jana na počítači PC-UCTOVNICTVO od "),
              std::string::npos)
        << busy.errors;
    EXPECT_EQ(bench.current(), "1.0.0.1");
    ASSERT_TRUE(bench.startedCount(2)); // the user keeps the old launcher
    EXPECT_EQ(lastStarted(bench).substr(0, 4), "old|");

    write(bench.menu() / "setup.lock", markerOf("PC-UCTOVNICTVO", 16 * 60));
    const Result taken = runSetup(bench, {bench.starter().string()});
    EXPECT_EQ(taken.status, 0) << taken.errors;
    EXPECT_EQ(bench.current(), "1.0.0.2");
    ASSERT_TRUE(bench.startedCount(3));
    EXPECT_FALSE(fs::exists(bench.menu() / "setup.lock"));
}

TEST(SetupMarker, TwoInstallationsAtOnceEndWithOneCompleteCurrentVersion)
{
    Bench bench;
    Quiet quiet(bench);
    installOld(bench);
    const fs::path first = bench.package("new", "FIRST");
    const fs::path second = bench.package("new", "SECOND");

    Process one(first / "setup.exe", {bench.starter().string()});
    Process two(second / "setup.exe", {bench.starter().string()});

    EXPECT_EQ(one.finish(), 0);
    EXPECT_EQ(two.finish(), 0);
    ASSERT_TRUE(bench.startedCount(3));
    EXPECT_EQ(bench.current(), "1.0.0.2");
    EXPECT_TRUE(fs::exists(bench.versions() / bench.current() / "platforms" / "qwindows.dll"));
    EXPECT_FALSE(fs::exists(bench.menu() / "setup.lock"));
    for (const auto &entry : fs::directory_iterator(bench.versions()))
        EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos);
}

TEST(SetupStarter, WaitsWhileAnInstallationRunsAndThenStartsTheCurrentVersion)
{
    Bench bench;
    Quiet quiet(bench);
    installOld(bench);
    write(bench.menu() / "setup.lock", markerOf("PC-UCTOVNICTVO", 5));
    {
        ScopedVariable wait("ORVAN_SETUP_WAIT_MS", "400");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(runStarter(bench).status, 0);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
        ASSERT_TRUE(bench.startedCount(2));
        EXPECT_EQ(lastStarted(bench).substr(0, 4), "old|");
        EXPECT_TRUE(fs::exists(bench.menu() / "setup.lock")) << "another seat's marker taken";
    }
    // A marker left by a crash holds nothing up and is tidied away.
    write(bench.menu() / "setup.lock", markerOf("PC-UCTOVNICTVO", 16 * 60));
    EXPECT_EQ(runStarter(bench).status, 0);
    ASSERT_TRUE(bench.startedCount(3));
    EXPECT_FALSE(fs::exists(bench.menu() / "setup.lock"));

    write(bench.versions() / "current", "1.0.0.9\n");
    const Result none = runStarter(bench);
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(text(none.errors).find("nie je nainštalovaná žiadna úplná verzia"), std::string::npos)
        << none.errors;
}

TEST(SetupFailure, APackageWithoutItsLauncherChangesNothingAndTheOldLauncherStarts)
{
    Bench bench;
    Quiet quiet(bench);
    installOld(bench);
    const fs::path package = bench.package("new");
    fs::remove(package / kLauncher);
    const Tree before = treeOf(bench.menu());

    const Result result = runSetup(bench, {bench.starter().string()});

    EXPECT_EQ(result.status, 3) << result.errors;
    EXPECT_EQ(text(result.errors).find("Inštalácia sa nepodarila: " + kLauncher), 0u)
        << result.errors;
    EXPECT_NE(text(result.errors).find(kOldStays), std::string::npos);
    ASSERT_TRUE(bench.startedCount(2));
    EXPECT_EQ(differences(treeOf(bench.menu()), before), "");
    EXPECT_EQ(lastStarted(bench).substr(0, 4), "old|");
    // Told, so that it does not offer the same version again at once.
    EXPECT_EQ(lastStarted(bench).substr(lastStarted(bench).size() - 7), "|failed");
}

TEST(SetupWait, TheLauncherIsWaitedForByItsProcessWhateverItsImage)
{
    for (const bool elsewhere : {false, true}) {
        SCOPED_TRACE(elsewhere);
        Bench bench;
        Quiet quiet(bench);
        bench.flatOld();
        bench.package("new");
        fs::copy_file(bench.starter(), bench.root() / ("elsewhere-" + kLauncher));
        const Tree before = treeOf(bench.menu());
        ScopedVariable wait("ORVAN_SETUP_WAIT_MS", "300");
        Running held(bench,
                     elsewhere ? bench.root() / ("elsewhere-" + kLauncher) : bench.starter());
        ASSERT_TRUE(held.ready());

        const Result result =
            runSetup(bench, {"--wait", std::to_string(held.id()), bench.starter().string()});

        EXPECT_EQ(result.status, 2) << result.errors;
        EXPECT_EQ(text(result.errors), kNotEnded + "\n");
        EXPECT_EQ(held.release(), 0);
        EXPECT_EQ(differences(treeOf(bench.menu()), before), "");
        EXPECT_TRUE(bench.started().empty());
    }
}

TEST(SetupWait, ALauncherThatHasEndedIsNotWaitedFor)
{
    Bench bench;
    Quiet quiet(bench);
    bench.flatOld();
    bench.package("new");
    Running held(bench, bench.starter());
    ASSERT_TRUE(held.ready());
    const std::string id = std::to_string(held.id());
    ASSERT_EQ(held.release(), 0);

    const Result result = runSetup(bench, {"--wait", id, bench.starter().string()});

    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(bench.current(), "1.0.0.2");
}

TEST(SetupRefusal, ACommandLineOrATargetItDoesNotKnowTouchesNothing)
{
    const std::string menu = "ORVAN/MENU/" + kLauncher;
    const struct {
        std::vector<std::string> arguments; // "@" stands for the bench's root
        std::optional<std::string> environment;
        int status;
    } cases[] = {
        {{"--wait"}, std::nullopt, 5},
        {{"--wait", "12x"}, std::nullopt, 5},
        {{"--wait", "1234567890"}, std::nullopt, 5},
        {{"a", "b"}, std::nullopt, 5},
        {{}, std::nullopt, 1},
        {{}, "@/ORVAN/OTHER/" + kLauncher, 1},
        {{"@/ORVAN/MENU/../OTHER/" + kLauncher}, std::nullopt, 1},
        {{"@/ORVAN/OTHER/XORVAN/MENU/" + kLauncher}, std::nullopt, 1},
        {{"@/ORVAN/MENU/payload.txt"}, std::nullopt, 1},
        {{"@/ORVAN/OTHER/" + kLauncher}, "@/" + menu, 1},
    };
    for (const auto &c : cases) {
        Bench bench;
        Quiet quiet(bench);
        bench.flatOld();
        bench.package("new");
        write(bench.root() / "ORVAN" / "OTHER" / "XORVAN" / "MENU" / kLauncher, "menu");
        const auto rooted = [&](std::string s) {
            if (s.rfind("@", 0) == 0)
                s = (bench.root() / s.substr(2)).make_preferred().string();
            return s;
        };
        std::vector<std::string> arguments;
        for (const std::string &a : c.arguments)
            arguments.push_back(rooted(a));
        SCOPED_TRACE(arguments.empty() ? "(none)" : arguments[0]);
        std::optional<ScopedVariable> target;
        if (c.environment)
            target.emplace("ORVAN_MENU", rooted(*c.environment));
        const Tree before = treeOf(bench.root() / "ORVAN");

        const Result result = runSetup(bench, arguments);

        EXPECT_EQ(result.status, c.status) << result.errors;
        if (c.status == 1) {
            EXPECT_EQ(text(result.errors), kNoTarget + "\n");
        }
        EXPECT_EQ(differences(treeOf(bench.root() / "ORVAN"), before), "");
        EXPECT_TRUE(bench.started().empty());
    }
}
