#include "setup/Starter.h"

#include "setup/Cleanup.h"
#include "setup/Marker.h"
#include "setup/Messages.h"

namespace menu::setup {

namespace {

// How long an installation may keep the starter waiting: two minutes, or ORVAN_SETUP_WAIT_MS.
unsigned waitBudget()
{
    const std::string text = os::environment("ORVAN_SETUP_WAIT_MS");
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return 120'000;
    return static_cast<unsigned>(std::stoul(text));
}

// Waits while a fresh marker stands, telling whose installation it is; the current version is
// complete at every moment, so the start goes on after the bound all the same.
void waitForInstallation(const Layout &layout)
{
    std::optional<os::Progress> note;
    for (unsigned waited = 0; waited < waitBudget(); waited += 200) {
        const std::optional<std::string> text = os::readSmall(layout.marker(), 4096);
        const std::optional<Holder> holder = text ? holderFrom(*text) : std::nullopt;
        if (!text || isStale(holder, os::secondsNow()))
            return;
        if (!note) {
            note.emplace();
            note->show(waitingText(holder ? describe(*holder) : "?"));
        }
        os::sleepMs(200);
    }
}

} // namespace

int runStarter(const Layout &layout)
{
    waitForInstallation(layout);
    {
        // Tidied only while no installation runs; one that does tidies up itself.
        Marker marker(layout);
        std::optional<Holder> other;
        if (marker.take(other) == 0)
            cleanUp(layout);
    }
    const std::optional<std::string> current = currentVersion(layout);
    if (!current) {
        os::reportError(noVersionText(layout.pointer()));
        return 1;
    }
    const std::string program = layout.launcherOf(*current);
    if (const int error =
            os::startProgram(program, os::arguments(), layout.version(*current), true)) {
        os::reportError(startFailedText(program, error));
        return 1;
    }
    return 0;
}

} // namespace menu::setup
