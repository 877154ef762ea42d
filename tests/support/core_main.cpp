// Tests of the rules run without windows, but queued signals (a background job's progress and
// end) need an application object on the main thread whose event loop delivers them.
#include "platform/LibraryText.h"
#include "support/TestTrust.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    menu::platform::prepareLibraryTexts(); // as the programs do, before any thread
    QCoreApplication app(argc, argv);
    menu::test::trustUnsignedUpdates();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
