// Widget tests run real windows on Qt's offscreen platform unless a display is chosen.
#include "platform/LibraryText.h"
#include "support/TestTrust.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    menu::platform::prepareLibraryTexts(); // as the programs do, before any thread
    QApplication app(argc, argv);
    menu::test::trustUnsignedUpdates();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
