// The rules of the text catalogue: which text for which case, where the CRs go, and what is
// put together from the parts a caller passes. Texts that are only restated are not tested.
#include "core/Texts.h"
#include "core/UpdateTexts.h"
#include "core/UserTexts.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <limits>

using namespace menu::core;
namespace texts = menu::core::texts;
using menu::platform::ShellCode;

namespace {

namespace {
// A path as the texts show it: as the system shows it to its users (backslashes on Windows).
QString shown(const char *path)
{
    return menu::platform::nativePath(QString::fromUtf8(path));
}
} // namespace

TEST(Texts, VersionLineByResult)
{
    const struct {
        VersionResult result;
        const char *text;
        const char *line;
    } cases[] = {
        {VersionResult::Found, "2.0.1.15", "v2.0.1.15"},
        {VersionResult::Found, "", "v"},
        {VersionResult::NoValue, "", "verzia nezistená"},
        {VersionResult::NoVersionInfo, "", "verzia neznáma"},
        {VersionResult::NoFile, "", "program neexistuje"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(texts::versionLine({c.result, QString::fromUtf8(c.text)}),
                  QString::fromUtf8(c.line))
            << static_cast<unsigned>(c.result);
    }
}

TEST(Texts, CaptionHasFourLinesWithACarriageReturnAfterEach)
{
    EXPECT_EQ(texts::buttonCaption(QStringLiteral("Mzdy"), QString(), QStringLiteral("v1")),
              QStringLiteral("Mzdy\r\rv1\r"));
    EXPECT_EQ(texts::buttonCaption(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"))
                  .count(QChar(13)),
              3);
}

TEST(Texts, LaunchTextsNameTheModuleSectionAndFile)
{
    EXPECT_EQ(
        texts::entryNotFound(QStringLiteral("Tav"), QStringLiteral("Menu1")),
        QStringLiteral("POZOR ! V súbore orvan-Tav.ini je chyba pri deklarácii sekcie Menu1 !"));
    EXPECT_EQ(texts::launchUndefined(QStringLiteral("Mzdy")),
              QStringLiteral("Pri aplikácii Mzdy spúšťací súbor nie je definovaný !"));
    EXPECT_EQ(texts::launchMissing(QStringLiteral("Mzdy"), QStringLiteral("/d/ORVAN/PEM/pem.exe")),
              QStringLiteral(
                  "Aplikácia Mzdy nie je inštalovaná !\rSúbor /d/ORVAN/PEM/pem.exe neexistuje !"));
    EXPECT_EQ(texts::submenuNotCreated(QStringLiteral("Menu12")),
              QStringLiteral("POZOR ! Chyba pri vytváraní podponuky pre Menu12 !"));
    EXPECT_EQ(texts::buttonNotCreated(3),
              QStringLiteral("POZOR ! Pravdepodobne chyba pri vytváraní tlačidla BitBtn3 !"));
}

// Which reason follows a failed start, by the shell's number; a start, and the user's own
// cancel (5), need no box.
TEST(Texts, LaunchFailureReasonByShellResult)
{
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
        EXPECT_EQ(
            texts::launchFailed(QStringLiteral("Mzdy"), {ShellCode(row.result), std::nullopt}),
            QStringLiteral("Chyba pri spustení aplikácie Mzdy\r\r") + QString::fromUtf8(row.reason))
            << row.result;
    }
    for (const int quiet : {5, 33, 42})
        EXPECT_TRUE(
            texts::launchFailed(QStringLiteral("Mzdy"), {ShellCode(quiet), std::nullopt}).isEmpty())
            << quiet;
}

TEST(Texts, FaultMessageAddsAFullStopOnlyAfterCharactersAboveIt)
{
    const struct {
        const char *text;
        const char *shown;
    } cases[] = {
        {"Unable to write to /x/menu.ini", "Unable to write to /x/menu.ini."},
        {"POZOR ! Chyba !", "POZOR ! Chyba !"},
        {"Koniec.", "Koniec."},
        {"Koniec-", "Koniec-"}, // '-' is below '.'
        {"Koniec/", "Koniec/."},
        {"Chyba 7", "Chyba 7."},
        {"Súbor ž", "Súbor ž."},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(texts::faultMessage(QString::fromUtf8(c.text)), QString::fromUtf8(c.shown))
            << c.text;
}

TEST(Texts, SettingsNotWrittenNamesTheFileThenTheReasonOnTheNextLine)
{
    const menu::Failure failure = menu::Failure::errnoValue(EACCES, QStringLiteral("/x/menu.ini"));
    const QString text = texts::settingsNotWritten(failure);
    EXPECT_EQ(text, QStringLiteral("Unable to write to ") + shown("/x/menu.ini") + u'\r' +
                        texts::reason(failure));
    EXPECT_EQ(texts::reason(failure), QStringLiteral("prístup bol odmietnutý"));
    // The update check's box puts its own lines above it.
    EXPECT_EQ(texts::checkSettingsNotSaved(failure),
              QStringLiteral("POZOR! Chyba pri ukladaní údajov !\r\r") + text);
    EXPECT_EQ(texts::installationRefused(QStringLiteral("1.1.0.7")),
              QStringLiteral("Program ORVAN-Základná ponuka v1.1.0.7 nie je spustený z povoleného "
                             "adresára !\r\rKoniec programu !"));
    EXPECT_EQ(texts::instanceClaimFailed(failure),
              QStringLiteral("Nie je možné zistiť, či program ORVAN - Základná ponuka už nie je "
                             "spustený !\rprístup bol odmietnutý: ") +
                  shown("/x/menu.ini") + QStringLiteral("\r\rKoniec programu !"));
}

// Another seat or user kept menu.ini's lock past the wait, or kept the file busy.
TEST(Texts, SettingsInUseElsewhereAreToldAsSuch)
{
    const menu::Failure busy =
        menu::Failure::of(std::errc::device_or_resource_busy, QStringLiteral("/x/menu.ini"));
    EXPECT_EQ(texts::settingsNotWritten(busy),
              QStringLiteral("Nastavenia v súbore ") + shown("/x/menu.ini") +
                  QStringLiteral(" práve používa iný počítač alebo používateľ.\r\r"
                                 "Zmeny sa neuložili."));
}

TEST(Texts, ReasonIsSlovakWhereKnownElseTheSystemsWordsWithTheNumber)
{
    EXPECT_EQ(texts::reason(std::error_code(ENOENT, std::generic_category())),
              QStringLiteral("súbor alebo adresár neexistuje"));
    EXPECT_EQ(texts::reason(std::make_error_code(std::errc::no_space_on_device)),
              QStringLiteral("na disku nie je dosť miesta"));
    const std::error_code unknown(EPROTO, std::generic_category());
    EXPECT_EQ(texts::reason(unknown), QStringLiteral("chyba systému %1: %2")
                                          .arg(EPROTO)
                                          .arg(QString::fromLocal8Bit(unknown.message())));
    // Another category never passes for an errno value.
    const std::error_code other(ENOENT, std::system_category());
    EXPECT_TRUE(texts::reason(other).startsWith(QStringLiteral("chyba systému ")));
    // A Windows code without an errno twin is told in the system's own words that came with it.
    const menu::Failure windows{std::error_code(64, std::system_category()), QStringLiteral("D:/x"),
                                QStringLiteral("Zadaný sieťový názov už nie je k dispozícii.")};
    EXPECT_EQ(texts::reason(windows),
              QStringLiteral("chyba systému 64: Zadaný sieťový názov už nie je k dispozícii."));
    // Words beside an errno value never replace its Slovak text.
    const menu::Failure mapped{
        std::error_code(EACCES, std::generic_category()), {}, QStringLiteral("Access is denied.")};
    EXPECT_EQ(texts::reason(mapped), QStringLiteral("prístup bol odmietnutý"));
}

// The short text of an HTTP result code, by range.
TEST(Texts, HttpResultByRange)
{
    const struct {
        std::int32_t code;
        const char *text;
    } cases[] = {
        {100, ""},
        {200, ""},
        {299, ""},
        {300, "Súbor nenájdený (300)!"},
        {302, "Súbor nenájdený (302)!"},
        {399, "Súbor nenájdený (399)!"},
        {400, "Stiahnutie neúspešné (400)!"},
        {404, "Stiahnutie neúspešné (404)!"},
        {499, "Stiahnutie neúspešné (499)!"},
        {500, "Server nenájdený (500)!"},
        {599, "Server nenájdený (599)!"},
        {99, "Neznáma chyba (99)!"},
        {600, "Neznáma chyba (600)!"},
        {0, "Neznáma chyba (0)!"},
        {-1, "Neznáma chyba (-1)!"},
        {std::numeric_limits<std::int32_t>::min(), "Neznáma chyba (-2147483648)!"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(texts::httpResult(c.code), QString::fromUtf8(c.text)) << c.code;
    EXPECT_EQ(texts::downloadCriticalHint(QStringLiteral("why")),
              texts::downloadCritical() + QStringLiteral("\r\rwhy"));
}

TEST(Texts, DownloadFileTextsNameThePathAndTheReason)
{
    const menu::Failure failure = menu::Failure::errnoValue(EROFS, QStringLiteral("/ignored"));
    const QString path = QStringLiteral("/d/orvan_akt.$$$");
    for (const QString &text :
         {texts::downloadNotCreated(path, failure), texts::downloadNotWritten(path, failure),
          texts::downloadNotSaved(path, failure)}) {
        EXPECT_TRUE(text.contains(menu::platform::nativePath(path))) << text.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral(": disk je iba na čítanie")))
            << text.toStdString();
    }
}

TEST(Texts, FailedCheckNoticeByWhatTheCheckFound)
{
    UpdateCheckOutcome notConnected;
    EXPECT_EQ(texts::failedCheckNotice(notConnected).text,
              QStringLiteral("Váš počítač nemá pripojenie na internet !"));
    EXPECT_TRUE(texts::failedCheckNotice(notConnected).red);

    UpdateCheckOutcome testFailed;
    testFailed.text = texts::internetTestFailed();
    testFailed.hint = QStringLiteral("reason");
    const LabelNotice failed = texts::failedCheckNotice(testFailed);
    EXPECT_EQ(failed.text, texts::internetTestFailed());
    EXPECT_EQ(failed.hint, QStringLiteral("reason"));

    UpdateCheckOutcome download;
    download.connected = true;
    download.text = texts::httpResult(404);
    download.hint = QStringLiteral("detail");
    const LabelNotice notice = texts::failedCheckNotice(download);
    EXPECT_EQ(notice.text, QStringLiteral("UPOZORNENIE !\rStiahnutie neúspešné (404)!"));
    EXPECT_EQ(notice.hint, QStringLiteral("detail"));

    EXPECT_EQ(texts::internetTestFailedBox(QStringLiteral("a"), QStringLiteral("b")),
              QStringLiteral("a\r\rb"));
}

TEST(Texts, UpdateDialogVersionSizeAndOffer)
{
    EXPECT_EQ(texts::shownVersion(QStringLiteral("1.1.0.7"), QStringLiteral("04.12.2023")),
              QStringLiteral("v1.1.0.7 zo dňa 04.12.2023"));
    EXPECT_EQ(texts::shownVersion(QStringLiteral("15.2.2756"), QString()),
              QStringLiteral("v15.2.2756"));
    EXPECT_EQ(texts::shownVersion(QString(), QString()), QStringLiteral("žiadna"));
    EXPECT_EQ(texts::fileSize(1048576), QStringLiteral("Veľkosť súboru : 1048576 b"));
    EXPECT_EQ(texts::newVersionOffer(QStringLiteral("1.1.0.8"), QStringLiteral("10.01.2024")),
              QStringLiteral("UPOZORNENIE!\r\nNa internete sa nachádza nová verzia programu\r\n"
                             "ORVAN-Základná ponuka v1.1.0.8 zo dňa 10.01.2024.\r\n\r\n"
                             "Stiahnuť a nainštalovať novú verziu ?"));
}

TEST(Texts, UnpackBoxAndNoteFrameTheText)
{
    EXPECT_EQ(texts::unpackBox(QStringLiteral("x !")), QStringLiteral("POZOR !\rx !"));
    EXPECT_EQ(texts::unpackNote(QStringLiteral("x !")), QStringLiteral("Prerušenie ! x !"));
    // A file the system refuses names it and says why in brackets.
    const menu::Failure denied = menu::Failure::errnoValue(EACCES, QStringLiteral("/t/a.txt"));
    EXPECT_EQ(texts::fileNotWritten(denied),
              QStringLiteral("Súbor ") + shown("/t/a.txt") +
                  QStringLiteral(" sa nepodarilo zapísať (prístup bol odmietnutý) !"));
    // A path through a file is no directory, whatever was being done.
    const menu::Failure notDir = menu::Failure::errnoValue(ENOTDIR, QStringLiteral("/t/f"));
    for (const QString &text : {texts::fileNotCreated(notDir), texts::folderNotCreated(notDir),
                                texts::unpackDirNotOpened(notDir)})
        EXPECT_EQ(text,
                  QStringLiteral("Adresár ") + shown("/t/f") + QStringLiteral(" nie je adresár !"));
    EXPECT_EQ(texts::fileNotCreated(menu::Failure::errnoValue(EISDIR, QStringLiteral("/t/d"))),
              QStringLiteral("Súbor ") + shown("/t/d") +
                  QStringLiteral(" nie je možné zapísať, je to adresár !"));
}

} // namespace
