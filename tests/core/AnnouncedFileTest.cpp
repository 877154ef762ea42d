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

} // namespace
