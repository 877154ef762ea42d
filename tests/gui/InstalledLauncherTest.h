// What the tests of a whole launcher window share: a launcher installed in a temporary folder,
// its services over a fixed clock, a fixed screen and a shell that records what it starts, and
// the message boxes recorded instead of shown.
#pragma once

#include "gui/ErrorBoundary.h"
#include "platform/ProfileFiles.h"
#include "support/FakeServices.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <gtest/gtest.h>

namespace menu::test {

template <class Store = platform::ProfileFiles>
class InstalledLauncherTest : public ::testing::Test {
  protected:
    InstalledLauncherTest(const QDateTime &now, platform::ScreenLimits screenSize)
        : clock(now), screen(screenSize)
    {
        services = installedLauncher(dir.path(), store, clock, screen, shell);
        gui::setFaultBoxes(&boxes);
    }
    ~InstalledLauncherTest() override { gui::setFaultBoxes(nullptr); }

    TempDir dir;
    Store store;
    RecordingBoxes boxes;
    FixedClock clock;
    FixedScreen screen;
    RecordingShell shell;
    platform::Services services;
};

} // namespace menu::test
