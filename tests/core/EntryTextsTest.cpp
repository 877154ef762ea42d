#include "core/EntryTexts.h"

#include "core/ModuleCodes.h"

#include <gtest/gtest.h>

using namespace menu::core;

TEST(EntryTexts, CaptionsAndVersionLines)
{
    EXPECT_EQ(versionLine(0, QStringLiteral("2.0.1.15")), QStringLiteral("v2.0.1.15"));
    EXPECT_EQ(versionLine(0, QString()), QStringLiteral("v"));
    EXPECT_EQ(versionLine(1, QString()), QStringLiteral("verzia nezistená"));
    EXPECT_EQ(versionLine(2, QString()), QStringLiteral("verzia neznáma"));
    EXPECT_EQ(versionLine(3, QString()), QStringLiteral("program neexistuje"));
    EXPECT_EQ(buttonCaption(QStringLiteral("Mzdy"), QString(), QStringLiteral("v1")),
              QStringLiteral("Mzdy\r\rv1\r"));
    EXPECT_EQ(missingButtonCaption(QStringLiteral("Mzdy"), QStringLiteral("mzdy a personalistika")),
              QStringLiteral("Mzdy\rmzdy a personalistika\r(bez inštalácie)\r"));
}

TEST(EntryTexts, PicturesByKind)
{
    EXPECT_EQ(entryPictureFor(QStringLiteral("/a/Manual.PDF")), EntryPicture::Pdf);
    EXPECT_EQ(entryPictureFor(QStringLiteral("/a/tool.Exe")), EntryPicture::ProgramIcon);
    EXPECT_EQ(entryPictureFor(QStringLiteral("/a/help.chm")), EntryPicture::Chm);
    EXPECT_EQ(entryPictureFor(QStringLiteral("/a/web.url")), EntryPicture::Url);
    EXPECT_EQ(entryPictureFor(QStringLiteral("/a/run.BAT")), EntryPicture::Bat);
    EXPECT_EQ(entryPictureFor(QStringLiteral("/a/readme.txt")), EntryPicture::None);
    EXPECT_EQ(entryPictureFor(QStringLiteral("/a/exe")), EntryPicture::None);
    EXPECT_EQ(entryPictureFor(QStringLiteral("/a/archive.pdf.zip")), EntryPicture::None);
}

TEST(EntryTexts, LaunchFailures)
{
    EXPECT_EQ(
        entryNotFoundText(QStringLiteral("Tav"), QStringLiteral("Menu1")),
        QStringLiteral("POZOR ! V súbore orvan-Tav.ini je chyba pri deklarácii sekcie Menu1 !"));
    EXPECT_EQ(launchUndefinedText(QStringLiteral("Mzdy")),
              QStringLiteral("Pri aplikácii Mzdy spúšťací súbor nie je definovaný !"));
    EXPECT_EQ(launchMissingText(QStringLiteral("Mzdy"), QStringLiteral("/d/ORVAN/PEM/pem.exe")),
              QStringLiteral(
                  "Aplikácia Mzdy nie je inštalovaná !\rSúbor /d/ORVAN/PEM/pem.exe neexistuje !"));

    const struct {
        int result;
        const char *reason;
    } table[] = {
        {0, "Operačný systém má nedostatok pamäte alebo zdrojov !"},
        {2, "Súbor nebol nájdený !"},
        {3, "Cesta k súboru sa nenašla !"},
        {8, "Nebol dostatok pamäte na dokončenie operácie !"},
        {11, "Súbor je pravdepodobne poškodený !"},
        {26, "Došlo k porušeniu zdieľania !"},
        {27, "Názov súboru je neplatný alebo neúplný !"},
        {28, "Transakcia DDE nemôže byť dokončená, pretože vypršal časový limit žiadosti !"},
        {29, "Transakcia DDE zlyhala !"},
        {30,
         "Transakcia DDE nemôže byť dokončená, pretože ostatní DDE transakcie boli spracované !"},
        {31, "Neexistuje aplikácia, súvisiaca s danou príponou súboru !"},
        {32, "Špecifikovaná DLL sa nenašla !"},
        {4, "Neznáma chyba číslo 4 !"},
        {1, "Neznáma chyba číslo 1 !"},
        {25, "Neznáma chyba číslo 25 !"},
    };
    for (const auto &row : table) {
        EXPECT_EQ(launchFailedText(QStringLiteral("Mzdy"), row.result),
                  QStringLiteral("Chyba pri spustení aplikácie Mzdy\r\r") +
                      QString::fromUtf8(row.reason))
            << row.result;
    }
    EXPECT_TRUE(launchFailedText(QStringLiteral("Mzdy"), 5).isEmpty());
    EXPECT_TRUE(launchFailedText(QStringLiteral("Mzdy"), 33).isEmpty());
}

TEST(EntryTexts, KeysAndBuildErrors)
{
    EXPECT_EQ(entryModule(QStringLiteral("Tav12")), QStringLiteral("Tav"));
    EXPECT_EQ(entrySection(QStringLiteral("Tav1"), 1), QStringLiteral("Menu1"));
    EXPECT_EQ(entrySection(QStringLiteral("Tav12"), 2), QStringLiteral("Menu12"));
    EXPECT_EQ(entrySection(QStringLiteral("Tav91"), 2), QStringLiteral("Menu91"));
    EXPECT_EQ(submenuCreateErrorText(QStringLiteral("Menu12")),
              QStringLiteral("POZOR ! Chyba pri vytváraní podponuky pre Menu12 !"));
    EXPECT_EQ(buttonCreateErrorText(3),
              QStringLiteral("POZOR ! Pravdepodobne chyba pri vytváraní tlačidla BitBtn3 !"));
}
