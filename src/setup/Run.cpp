// setup.exe: the launcher's own installer, and, copied to MENU\menu.exe, its starter. The
// launcher unpacks an update into a private directory, starts setup.exe from it and ends;
// setup.exe waits for it, installs the package as a new version beside the others, switches to
// it and starts it through the starter. No Qt, no library beside it.
//
//     setup.exe [--wait PID] [LAUNCHER]
//
// --wait PID: first wait (boundedly) for the process PID, the launcher that started it.
// Without it the installation begins at once. LAUNCHER: the ...\ORVAN\MENU\menu.exe whose
// installation it is; ORVAN_MENU when left out.
#include "setup/Cleanup.h"
#include "setup/Install.h"
#include "setup/Marker.h"
#include "setup/Messages.h"
#include "setup/Paths.h"
#include "setup/Run.h"
#include "setup/Starter.h"

#include <optional>
#include <string>
#include <vector>

namespace menu::setup {

namespace {

// The exit statuses; a launcher is running afterwards only after kInstalled.
enum Status : int {
    kInstalled = 0,
    kNoTarget = 1,
    kNotEnded = 2,
    kFailed = 3,
    kNotStarted = 4,
    kBadCommandLine = 5,
    kBusy = 6,
};

struct CommandLine {
    std::optional<unsigned> waitFor;
    std::optional<std::string> launcher;
};

// A decimal number of at most nine digits; nothing for any other text.
std::optional<unsigned> number(const std::string &text)
{
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<unsigned>(std::stoul(text));
}

std::optional<CommandLine> parse(const std::vector<std::string> &words)
{
    CommandLine line;
    std::size_t next = 0;
    if (words.size() > next && words[next] == "--wait") {
        if (words.size() <= next + 1 || !(line.waitFor = number(words[next + 1])))
            return std::nullopt;
        next += 2;
    }
    if (words.size() > next)
        line.launcher = words[next++];
    if (words.size() > next)
        return std::nullopt;
    return line;
}

// How long the launcher or another installation may take: a minute, or ORVAN_SETUP_WAIT_MS.
unsigned waitBudget()
{
    return number(os::environment("ORVAN_SETUP_WAIT_MS")).value_or(60'000);
}

// Takes the marker, waiting a bounded time while another installation holds it.
int takeMarker(Marker &marker, os::Progress &progress, std::optional<Holder> &other)
{
    for (unsigned waited = 0;; waited += 250) {
        other.reset();
        const int error = marker.take(other);
        if (error == 0 || waited >= waitBudget())
            return error;
        progress.show(waitingText(other ? describe(*other) : "?"));
        os::sleepMs(250);
    }
}

// Starts what the user has now: the starter, or the version the installation made current.
int startLauncher(const std::string &program)
{
    const int error = os::startProgram(program, {}, directoryOf(program), false);
    if (error != 0)
        os::reportError(startFailedText(program, error));
    return error;
}

int installInto(const Layout &layout)
{
    os::Progress progress;
    Marker marker(layout);
    std::optional<Holder> other;
    if (takeMarker(marker, progress, other) != 0) {
        os::reportError(busyText(other ? describe(*other) : "?"));
        startLauncher(layout.starter());
        return kBusy;
    }
    stopPoint(1);
    cleanUp(layout); // what an installation that was cut off left behind
    Installed installed;
    const std::optional<InstallFailure> failure =
        install(directoryOf(os::ownPath()), layout, progress, installed);
    if (failure && !failure->switched) {
        marker.release();
        os::reportError(installFailedText(failure->file, failure->error, failure->left));
        // The old launcher, whole as it was; it remembers the failure, so that it does not
        // offer the same version again at once.
        os::setEnvironment("ORVAN_INSTALL_FAILED", "1");
        startLauncher(layout.starter());
        return kFailed;
    }
    cleanUp(layout);
    marker.release();
    if (failure) {
        os::reportError(starterNotReplacedText(installed.name, failure->error, failure->left));
        startLauncher(layout.launcherOf(installed.name));
        return kFailed;
    }
    return startLauncher(layout.starter()) == 0 ? kInstalled : kNotStarted;
}

int runSetup()
{
    const std::optional<CommandLine> line = parse(os::arguments());
    if (!line) {
        os::reportError(commandLineText());
        return kBadCommandLine;
    }
    const std::optional<Layout> layout = findTarget(line->launcher);
    if (!layout) {
        os::reportError(noTargetText());
        return kNoTarget;
    }
    if (line->waitFor && os::waitForProcess(*line->waitFor, waitBudget()) != os::Waited::Ended) {
        os::reportError(notEndedText());
        return kNotEnded;
    }
    return installInto(*layout);
}

} // namespace

int run()
{
    // Copied to MENU as the launcher's name, this program is the starter.
    const std::string own = os::ownPath();
    const std::string name = own.substr(own.find_last_of(os::kSeparator) + 1);
    if (os::sameName(name, os::kLauncherName))
        return runStarter(Layout{directoryOf(own)});
    return runSetup();
}

} // namespace menu::setup
