// The environment main sets and takes before any thread starts: a value set is inherited by the
// programs started later, a value taken is read once and inherited by none of them.
#include "platform/System.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

const QString kName = QStringLiteral("MENU_TEST_INHERITED");

// What a program started now sees of kName.
QString seenByChild()
{
    QProcess child;
#ifdef _WIN32
    child.start(QStringLiteral("cmd"), {QStringLiteral("/c"), QStringLiteral("set ") + kName});
#else
    child.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("env")});
#endif
    EXPECT_TRUE(child.waitForFinished(30000));
    for (const QString &line : QString::fromLocal8Bit(child.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(kName + QLatin1Char('=')))
            return line.mid(kName.size() + 1).trimmed();
    }
    return {};
}

TEST(InheritedEnvironmentTest, ATakenValueIsReadOnceAndPassedOnToNoProgram)
{
    const QString value = QStringLiteral("C:\\ORVAN\\MENU\\menu.exe");
    menu::platform::setInheritedEnvironment(kName, value);
    EXPECT_EQ(seenByChild(), value);

    EXPECT_EQ(menu::platform::takeInheritedEnvironment(kName), value);
    EXPECT_FALSE(qEnvironmentVariableIsSet(kName.toLatin1().constData()));
    EXPECT_EQ(seenByChild(), QString());
    EXPECT_EQ(menu::platform::takeInheritedEnvironment(kName), QString());
}

} // namespace
