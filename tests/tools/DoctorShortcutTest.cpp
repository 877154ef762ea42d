// menu-doctor shortcut writes what the launcher writes on this system: a desktop entry.
#include "support/Doctor.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using menu::test::runDoctor;
using menu::test::TempDir;

namespace {

TEST(DoctorShortcut, WritesTheSystemsShortcutOnceAndReportsTheReasonAfterwards)
{
    TempDir tmp;
    QDir().mkpath(tmp.file(QStringLiteral("Plocha")));
    const QString named = tmp.file(QStringLiteral("Plocha/ORVAN.lnk"));
    const QString entry = tmp.file(QStringLiteral("Plocha/ORVAN.desktop"));
    const QString target = QStringLiteral("/srv/Účtovníctvo/ORVAN/MENU/menu");
    const QStringList args{QStringLiteral("shortcut"), named, target,
                           QStringLiteral("/srv/Účtovníctvo/ORVAN/MENU")};

    const auto first = runDoctor(args);
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.out, entry + QLatin1Char('\n'));
    const QByteArray written = tmp.read(QStringLiteral("Plocha/ORVAN.desktop"));
    EXPECT_TRUE(written.contains("\nExec=\"" + target.toUtf8() + "\"\n")) << written.toStdString();
    EXPECT_TRUE(written.contains("\nPath=/srv/Účtovníctvo/ORVAN/MENU/\n")) << written.toStdString();
    EXPECT_TRUE(QFileInfo(entry).isExecutable());
    EXPECT_FALSE(QFileInfo::exists(named));

    // The second run names the entry it refused to replace and leaves it as it was.
    const auto again = runDoctor(args);
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.startsWith(entry + QStringLiteral(": "))) << again.err.toStdString();
    EXPECT_GT(again.err.size(), entry.size() + 3) << "no reason given";
    EXPECT_EQ(tmp.read(QStringLiteral("Plocha/ORVAN.desktop")), written);

    EXPECT_EQ(runDoctor({QStringLiteral("shortcut"), named}).status, 2);
}

} // namespace
