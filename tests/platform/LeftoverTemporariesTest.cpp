// A writer killed between its new file and the rename leaves that file beside the target; the
// next write removes such leftovers of this file once they are old, and nothing else. The same
// on both sides of the seam.
#include "platform/AtomicFile.h"
#include "support/TempDir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using menu::test::TempDir;

QStringList hiddenEntries(const TempDir &dir)
{
    return QDir(dir.path())
        .entryList({QStringLiteral(".*")},
                   QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(LeftoverTemporaries, OldLeftoversOfKilledWritesGoAtTheNextWrite)
{
    TempDir dir;
    const QDateTime old = QDateTime::currentDateTime().addSecs(-2 * 3600);
    const auto aged = [&](const char *name) {
        QFile file(dir.write(QString::fromLatin1(name), "half"));
        EXPECT_TRUE(file.open(QIODevice::ReadWrite));
        EXPECT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    };
    aged(".m.ini.1x9k2a.tmp");
    aged(".m.ini.ABC.tmp");      // not this launcher's naming
    aged(".other.ini.1x9k.tmp"); // another file's
    aged(".m.ini..tmp");
    dir.write(QStringLiteral(".m.ini.7fresh.tmp"), "at work");
    QStringList kept{QStringLiteral(".m.ini..tmp"), QStringLiteral(".m.ini.7fresh.tmp"),
                     QStringLiteral(".m.ini.ABC.tmp"), QStringLiteral(".other.ini.1x9k.tmp")};
#ifndef _WIN32
    // A link of the right name is not a leftover (Qt makes a shortcut on Windows instead).
    ASSERT_TRUE(QFile::link(dir.file(QStringLiteral(".m.ini.ABC.tmp")),
                            dir.file(QStringLiteral(".m.ini.2link.tmp"))));
    kept.insert(1, QStringLiteral(".m.ini.2link.tmp"));
#endif
    ASSERT_TRUE(
        menu::platform::replaceFileContent(dir.file(QStringLiteral("m.ini")), "new", {}).ok());
    EXPECT_EQ(hiddenEntries(dir), kept);
    EXPECT_EQ(dir.read(QStringLiteral("m.ini")), "new");
}

} // namespace
