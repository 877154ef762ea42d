// menu-doctor regional and edit-value, run as support staff run them, under a Slovak locale.
#include "support/Doctor.h"

#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

using menu::test::DoctorRun;

// Under a Slovak locale, as the office's machines run.
DoctorRun doctor(const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("sk_SK.UTF-8"));
    return menu::test::runDoctor(args, env);
}

TEST(EditValueDoctor, RegionalShowsTheSlovakForms)
{
    const DoctorRun run = doctor({QStringLiteral("regional")});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.contains(QStringLiteral("decimal separator: ,\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("short date format: d.M.yyyy\n")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("currency symbol: €\n")));
}

TEST(EditValueDoctor, EditValueNormalisesOrExplains)
{
    DoctorRun run = doctor({QStringLiteral("edit-value"), QStringLiteral("currency"),
                            QStringLiteral("0.00 %s"), QStringLiteral("1 234,5")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, QStringLiteral("1234,50 €\n"));

    run = doctor({QStringLiteral("edit-value"), QStringLiteral("integer"), QStringLiteral("0"),
                  QStringLiteral("1.5")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QStringLiteral("1.5\n"));
    EXPECT_EQ(run.err, QStringLiteral("Doplňte celé číslo!\n"));

    run = doctor({QStringLiteral("edit-value"), QStringLiteral("number"), QStringLiteral("0"),
                  QStringLiteral("1")});
    EXPECT_EQ(run.status, 2);
}

} // namespace
