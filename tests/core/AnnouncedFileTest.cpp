// Whether the update dialog may fetch an announced file, and what the download holds it to.
#include "core/AnnouncedFile.h"

#include <gtest/gtest.h>

using menu::core::Announcement;
using menu::core::BoxKind;

namespace {

TEST(AnnouncedFile, WhatMayBeFetched)
{
    const QString hash(64, u'a');
    const QString nothing = QStringLiteral("Na internete nie je zverejnený žiadny súbor na "
                                           "stiahnutie !");
    const QString unverifiable = QStringLiteral(
        "Súbor na internete nemá ohlásenú veľkosť a kontrolný súčet SHA-256, preto ho nie je "
        "možné overiť ani nainštalovať !");
    const struct {
        const char *name;
        QString file;
        std::optional<qint64> length;
        QString sha256;
        bool checks;
        std::optional<BoxKind> kind; // nothing: fetched
        QString text;
    } cases[] = {
        {"no file", {}, 10, hash, false, BoxKind::Information, nothing},
        {"blank file, checks", QStringLiteral("  "), 10, hash, true, BoxKind::Information, nothing},
        {"unchecked build, nothing announced", QStringLiteral("a.zip"), {}, {}, false, {}, {}},
        {"checked", QStringLiteral("a.zip"), 10, hash, true, {}, {}},
        {"upper-case hash", QStringLiteral("a.zip"), 10, QString(64, u'F'), true, {}, {}},
        {"no length", QStringLiteral("a.zip"), {}, hash, true, BoxKind::Error, unverifiable},
        {"empty file", QStringLiteral("a.zip"), 0, hash, true, BoxKind::Error, unverifiable},
        {"no hash", QStringLiteral("a.zip"), 10, {}, true, BoxKind::Error, unverifiable},
        {"short hash", QStringLiteral("a.zip"), 10, hash.left(63), true, BoxKind::Error,
         unverifiable},
        {"not hex", QStringLiteral("a.zip"), 10, QString(64, u'g'), true, BoxKind::Error,
         unverifiable},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Announcement announced;
        announced.file = c.file;
        announced.length = c.length;
        announced.sha256 = c.sha256;
        const auto refusal = menu::core::fetchRefusal(announced, c.checks);
        ASSERT_EQ(refusal.has_value(), c.kind.has_value());
        if (refusal) {
            EXPECT_EQ(refusal->kind, *c.kind);
            EXPECT_EQ(refusal->text, c.text);
        }
        menu::core::DownloadOptions options;
        menu::core::expectAnnounced(options, announced);
        EXPECT_EQ(options.expectedLength, c.length);
        EXPECT_EQ(options.expectedSha256, c.sha256);
    }
}

// A download follows only the announcement trusted now, exactly as shown; the launcher's own
// package must be a later release by its numbers, whatever the text comparison says.
TEST(AnnouncedFile, DownloadsFollowOnlyTheTrustedLaterRelease)
{
    const Announcement shown{QStringLiteral("1.1.0.10"), {}, QStringLiteral("a.zip"), 10, {}};
    Announcement forged = shown;
    forged.file = QStringLiteral("evil.zip");
    using menu::core::releaseRefusal;
    using menu::core::trustRefusal;
    EXPECT_FALSE(trustRefusal(shown, shown, true));
    EXPECT_EQ(trustRefusal(shown, forged, true)->kind, BoxKind::Error);
    EXPECT_EQ(trustRefusal(shown, std::nullopt, true)->text,
              trustRefusal(shown, forged, true)->text);
    EXPECT_TRUE(trustRefusal(shown, shown, false)->text.contains(QStringLiteral("nemá kľúče")));

    const struct {
        const char *announced, *running;
        bool later;
    } releases[] = {
        {"1.1.0.10", "1.1.0.9", true}, {"1.1.0.8", "1.1.0.8", false},
        {"1.1.0.6", "1.1.0.8", false}, {"1.2", "1.1.9.9", true},
        {"1.1.0.0", "1.1", false},     {"1.1.0.9", "", false},
        {"", "1.1.0.8", false},        {"1.1.0.9x", "1.1.0.8", false},
        {"2..0", "1.0", false},        {"1.1.0.-9", "1.1.0.8", false},
    };
    for (const auto &r : releases) {
        SCOPED_TRACE(std::string(r.announced) + " / " + r.running);
        Announcement announced = shown;
        announced.version = QString::fromLatin1(r.announced);
        const auto refusal = releaseRefusal(announced, QString::fromLatin1(r.running));
        EXPECT_EQ(!refusal, r.later);
        if (refusal) {
            EXPECT_EQ(refusal->text,
                      QStringLiteral("Ohlásená verzia %1 nie je novšia ako spustená "
                                     "verzia %2, inštalácia sa nespustí.")
                          .arg(QString::fromLatin1(r.announced), QString::fromLatin1(r.running)));
        }
    }
}

} // namespace
