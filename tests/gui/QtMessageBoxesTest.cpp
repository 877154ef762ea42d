// The boxes as the user sees them: their lines, titles and buttons.
#include "core/UpdateTexts.h"
#include "gui/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using menu::core::BoxAnswer;
using menu::core::BoxKind;

namespace {

struct Shown {
    QString title;
    QString text;
    QStringList buttons;
};

// Shows text in a box of kind, reads the box while it waits and answers with its default
// button.
Shown showAndRead(BoxKind kind, const QString &text)
{
    Shown shown;
    QTimer::singleShot(0, [&shown] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown.title = box->windowTitle();
        shown.text = box->text();
        for (QAbstractButton *button : box->buttons())
            shown.buttons.append(button->text());
        box->defaultButton()->click();
    });
    menu::gui::QtMessageBoxes().show(nullptr, kind, text);
    return shown;
}

TEST(QtMessageBoxes, TheOfferShowsItsLinesWithoutEmptyOnesBetween)
{
    const Shown offer = showAndRead(
        BoxKind::Confirmation, menu::core::texts::newVersionOffer(QStringLiteral("1.1.0.8"),
                                                                  QStringLiteral("02.03.2025")));
    EXPECT_EQ(offer.title, QStringLiteral("Potvrdenie"));
    EXPECT_EQ(offer.text.split(u'\n'),
              QStringList({QStringLiteral("UPOZORNENIE!"),
                           QStringLiteral("Na internete sa nachádza nová verzia programu"),
                           QStringLiteral("ORVAN-Základná ponuka v1.1.0.8 zo dňa 02.03.2025."),
                           QString(), QStringLiteral("Stiahnuť a nainštalovať novú verziu ?")}));
    EXPECT_EQ(offer.buttons, QStringList({QStringLiteral("&Áno"), QStringLiteral("&Nie")}));
}

TEST(QtMessageBoxes, LoneCarriageReturnsBreakLinesToo)
{
    const Shown error = showAndRead(BoxKind::Error, QStringLiteral("Chyba pri spustení\r\rdôvod"));
    EXPECT_EQ(error.title, QStringLiteral("Chyba"));
    EXPECT_EQ(error.text, QStringLiteral("Chyba pri spustení\n\ndôvod"));
    EXPECT_EQ(error.buttons, QStringList({QStringLiteral("OK")}));
}

} // namespace
