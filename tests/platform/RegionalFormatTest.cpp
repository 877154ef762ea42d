// The short date formats of the systems' regional settings in the form a user types dates.
#include "platform/Regional.h"

#include <gtest/gtest.h>

TEST(RegionalFormats, SystemDateFormatsBecomeTypedOnes)
{
    struct Case {
        const char *system;
        const char *typed;
        char separator;
    } const cases[] = {
        {"d. M. yyyy", "d.M.yyyy", '.'},     // Slovak, as Windows 10 writes it
        {"d.M.yyyy", "d.M.yyyy", '.'},       // Slovak, as older Windows wrote it
        {"M/d/yyyy", "M/d/yyyy", '/'},       // United States
        {"dd-MMM-yy", "dd-MM-yy", '-'},      // a month name is typed as its number
        {"yyyy-MM-dd", "yyyy-MM-dd", '-'},   // ISO
        {"'den' d.M.yyyy", "d.M.yyyy", '.'}, // quoted text is left out
        {"MMMM yyyy", "d.M.yyyy", '.'},      // no day: the Slovak form
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.system);
        const QString typed = menu::platform::typedDateFormat(QString::fromUtf8(c.system));
        EXPECT_EQ(typed, QString::fromUtf8(c.typed));
        EXPECT_EQ(menu::platform::dateSeparatorOf(typed), QLatin1Char(c.separator));
    }
}
