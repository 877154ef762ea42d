// menu-doctor version and icon, as support staff run them.
#include "support/PeFixtures.h"
#include "support/Doctor.h"
#include "support/TempDir.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace menu::test;

namespace {

TEST(VersionDoctor, PrintsResultAndTextWhateverTheResult)
{
    const auto version = [](const QString &file, const char *table, const char *key) {
        return runDoctor(
            {QStringLiteral("version"), file, QLatin1String(table), QLatin1String(key)});
    };
    const struct {
        QString file;
        const char *table;
        const char *key;
        const char *out;
    } cases[] = {
        {peFixture("slovak.exe"), "041B04E2", "FileVersion", "0\t2.0.1.15\n"},
        {peFixture("slovak.exe"), "041b04e2", "filedatum", "0\t04.12.2023\n"},
        {peFixture("slovak32.exe"), "041B04E2", "FileVersion", "0\t2.0.1.15\n"},
        {peFixture("slovak.exe"), "040904B0", "ProductVersion", "1\t\n"},
        {peFixture("english.exe"), "040904B0", "ProductVersion", "0\t15.4.6\n"},
        {peFixture("empty-version.exe"), "041B04E2", "FileVersion", "0\t\n"},
        {peFixture("no-resources.exe"), "041B04E2", "FileVersion", "2\t\n"},
        {peFixture("three-sizes.ico"), "041B04E2", "FileVersion", "2\t\n"},
        {peFixture("missing.exe"), "041B04E2", "FileVersion", "3\t\n"},
        {peFixture(""), "041B04E2", "FileVersion", "3\t\n"}, // a directory
    };
    for (const auto &c : cases) {
        const DoctorRun run = version(c.file, c.table, c.key);
        EXPECT_EQ(run.status, 0) << c.file.toStdString();
        EXPECT_EQ(run.out, QString::fromUtf8(c.out)) << c.file.toStdString() << " " << c.key;
    }
    EXPECT_EQ(runDoctor({QStringLiteral("version"), peFixture("slovak.exe")}).status, 2);
}

TEST(VersionDoctor, WritesTheIconOrFailsWithoutOne)
{
    TempDir dir;
    const QString png = dir.file(QStringLiteral("icon.png"));
    const DoctorRun written = runDoctor({QStringLiteral("icon"), peFixture("slovak.exe"), png});
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(written.out, QStringLiteral("32x32\n"));
    const QImage icon(png);
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_TRUE(icon.hasAlphaChannel());

    const QString none = dir.file(QStringLiteral("none.png"));
    EXPECT_EQ(runDoctor({QStringLiteral("icon"), peFixture("no-resources.exe"), none}).status, 1);
    EXPECT_FALSE(QFile::exists(none));
}

} // namespace
