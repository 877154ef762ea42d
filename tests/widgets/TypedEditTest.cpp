// The typed edit control on a real form (offscreen), with Slovak settings on 15.3.2024 and an
// error box that records instead of waiting.
#include "widgets/TypedEdit.h"
#include "platform/Services.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace menu::gui;
using menu::platform::BoxAnswer;
using menu::platform::BoxKind;

namespace {

struct RecordingBoxes : menu::platform::MessageBoxes {
    struct Box {
        BoxKind kind;
        QString text;
    };
    std::vector<Box> shown;
    BoxAnswer show(QWidget *, BoxKind kind, const QString &text) override
    {
        shown.push_back({kind, text});
        return BoxAnswer::Ok;
    }
    void showFault(QWidget *, const QString &, const QString &text) override
    {
        shown.push_back({BoxKind::Error, text});
    }
};

QColor background(const TypedEdit *edit)
{
    return edit->palette().color(QPalette::Base);
}

class AEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TypedEdit::setDefaultRegionalSettings(&regional);
        TypedEdit::setDefaultMessageBoxes(&boxes);
        form = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(form.get());
        for (int i = 0; i < 3; ++i) {
            edits[i] = new TypedEdit(form.get());
            edits[i]->setObjectName(QStringLiteral("edit%1").arg(i));
            layout->addWidget(edits[i]);
        }
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override
    {
        form.reset();
        TypedEdit::setDefaultRegionalSettings(nullptr);
        TypedEdit::setDefaultMessageBoxes(nullptr);
    }

    void enter(TypedEdit *edit)
    {
        edit->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    menu::platform::FixedRegionalSettings regional{menu::platform::slovakFormats(),
                                                   QDate(2024, 3, 15)};
    RecordingBoxes boxes;
    std::unique_ptr<QWidget> form;
    TypedEdit *edits[3] = {};
};

TEST_F(AEditTest, LeavingAnInvalidControlShowsTheErrorAndKeepsTheFocus)
{
    TypedEdit *number = edits[0];
    number->setEditType(ttInteger);
    number->setEditMask(QStringLiteral("0"));
    const QColor designed = number->color();
    enter(number);
    EXPECT_EQ(background(number), number->focusColor());

    QTest::keyClicks(number, QStringLiteral("1.5"));
    QTest::keyClick(number, Qt::Key_Tab);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, BoxKind::Error);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Doplňte celé číslo!"));
    EXPECT_TRUE(number->hasFocus());
    EXPECT_FALSE(number->TestResult);
    EXPECT_EQ(number->text(), QStringLiteral("1.5"));
    // Back in the control it keeps the error colour, not the focus colour.
    EXPECT_EQ(background(number), number->errorColor());

    // Clicking into the next control is refused the same way.
    QTest::mouseClick(edits[1], Qt::LeftButton);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(number->hasFocus());
    EXPECT_EQ(background(edits[1]), edits[1]->color()); // never counted as entered

    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("12a3"));
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(number->text(), QStringLiteral("123"));
    EXPECT_TRUE(edits[1]->hasFocus());
    EXPECT_EQ(background(number), designed);
}

TEST_F(AEditTest, HidingAnInvalidControlShowsNoBox)
{
    TypedEdit *number = edits[1];
    number->setEditType(ttInteger);
    enter(number);
    number->setText(QStringLiteral("1.5"));
    number->hide();
    EXPECT_FALSE(number->hasFocus());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(background(number), number->errorColor());

    // A valid one goes back to its designed colour.
    enter(edits[2]);
    edits[2]->setEnabled(false);
    EXPECT_FALSE(edits[2]->hasFocus());
    EXPECT_EQ(background(edits[2]), edits[2]->color());
}

TEST_F(AEditTest, WithoutABoxServiceAPlainErrorBoxIsShown)
{
    TypedEdit::setDefaultMessageBoxes(nullptr);
    TypedEdit *number = edits[0];
    number->setEditType(ttInteger);
    enter(number);
    number->setText(QStringLiteral("1.5"));
    QString title, text;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        for (QAbstractButton *button : box->buttons())
            buttons << button->text();
        box->buttons().front()->click();
    });
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_EQ(title, QStringLiteral("Chyba"));
    EXPECT_EQ(text, QStringLiteral("Doplňte celé číslo!"));
    EXPECT_EQ(buttons, QStringList{QStringLiteral("OK")});
    // The form's focus is back in the control when the form is active again.
    EXPECT_EQ(form->focusWidget(), number);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_TRUE(number->hasFocus());
    EXPECT_EQ(background(number), number->errorColor());
}

TEST_F(AEditTest, DateIsCompletedOnLeaving)
{
    TypedEdit *date = edits[0];
    date->setEditType(ttDate);
    enter(date);
    QTest::keyClicks(date, QStringLiteral("5/4"));
    QTest::keyClick(date, Qt::Key_Tab);
    EXPECT_EQ(date->text(), QStringLiteral("5.4.2024"));
    EXPECT_EQ(date->asDate(), QDate(2024, 4, 5));
    EXPECT_TRUE(boxes.shown.empty());

    enter(date);
    date->selectAll();
    QTest::keyClicks(date, QStringLiteral("32"));
    QTest::keyClick(date, Qt::Key_Tab);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Doplňte dátum v tvare \"d.M.yyyy\"!"));
    EXPECT_EQ(date->asDate(), QDate(1899, 12, 30));
}

TEST_F(AEditTest, OnValidateMayRefuseAValidText)
{
    TypedEdit *edit = edits[0];
    int calls = 0;
    edit->setOnValidate([&](const QString &text, bool &isValid, QString &errMessage) {
        ++calls;
        if (text == QLatin1String("zle")) {
            isValid = false;
            errMessage = QStringLiteral("Takú hodnotu nepoznám!");
        }
    });
    enter(edit);
    QTest::keyClicks(edit, QStringLiteral("zle"));
    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Takú hodnotu nepoznám!"));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(background(edit), edit->errorColor());

    // A text the type itself refuses never reaches the handler.
    edit->setEditType(ttInteger);
    edit->setText(QStringLiteral("1.5"));
    const int before = calls;
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(calls, before);
    EXPECT_EQ(boxes.shown.back().text, QStringLiteral("Doplňte celé číslo!"));

    edit->setEditType(ttString);
    edit->setText(QStringLiteral("dobré"));
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(edits[1]->hasFocus());
}

TEST_F(AEditTest, KeysLikeTabMoveThroughTheForm)
{
    for (TypedEdit *edit : edits)
        edit->setKeyLikeTab(kEnter | kDown | kUp);
    enter(edits[0]);
    QTest::keyClick(edits[0], Qt::Key_Return);
    EXPECT_TRUE(edits[1]->hasFocus());
    QTest::keyClick(edits[1], Qt::Key_Down);
    EXPECT_TRUE(edits[2]->hasFocus());
    QTest::keyClick(edits[2], Qt::Key_Up);
    EXPECT_TRUE(edits[1]->hasFocus());

    // Without them the keys only select the text, and never type a line break.
    edits[1]->setKeyLikeTab({});
    edits[1]->setText(QStringLiteral("abc"));
    edits[1]->deselect();
    QTest::keyClick(edits[1], Qt::Key_Down);
    EXPECT_TRUE(edits[1]->hasFocus());
    EXPECT_EQ(edits[1]->selectedText(), QStringLiteral("abc"));
    edits[1]->deselect();
    QTest::keyClick(edits[1], Qt::Key_Enter);
    EXPECT_TRUE(edits[1]->hasFocus());
    EXPECT_EQ(edits[1]->text(), QStringLiteral("abc"));
    EXPECT_EQ(edits[1]->selectedText(), QStringLiteral("abc"));
}

TEST_F(AEditTest, EllipsisClicksOnlyWhenReleasedOverTheButton)
{
    TypedEdit *edit = edits[0];
    edit->setEditStyle(esEllipsis);
    int clicks = 0;
    edit->setOnButtonClick([&](TypedEdit *sender) {
        EXPECT_EQ(sender, edit);
        ++clicks;
    });
    const QRect button = edit->buttonRect();
    ASSERT_FALSE(button.isEmpty());
    EXPECT_EQ(button.right(), edit->rect().right() - (edit->width() - 1 - button.right()));
    EXPECT_EQ(button.width(), edit->buttonWidth());

    QTest::mousePress(edit, Qt::LeftButton, {}, button.center());
    EXPECT_TRUE(edit->buttonPressed());
    QTest::mouseMove(edit, QPoint(5, button.center().y()));
    EXPECT_FALSE(edit->buttonPressed());
    QTest::mouseRelease(edit, Qt::LeftButton, {}, QPoint(5, button.center().y()));
    EXPECT_EQ(clicks, 0);

    QTest::mousePress(edit, Qt::LeftButton, {}, button.center());
    QTest::mouseMove(edit, QPoint(5, button.center().y()));
    QTest::mouseMove(edit, button.center());
    EXPECT_TRUE(edit->buttonPressed());
    QTest::mouseRelease(edit, Qt::LeftButton, {}, button.center());
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(edit->buttonPressed());

    // Losing the window ends the press: the later release clicks nothing.
    QTest::mousePress(edit, Qt::LeftButton, {}, button.center());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(edit, &deactivate);
    EXPECT_FALSE(edit->buttonPressed());
    QTest::mouseRelease(edit, Qt::LeftButton, {}, button.center());
    EXPECT_EQ(clicks, 1);

    enter(edit);
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(edit->hasFocus());

    // Without a button Alt+Down raises nothing.
    edit->setEditStyle(esSimple);
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(edit->buttonRect().isEmpty());
}

TEST_F(AEditTest, ButtonShowsArrowCursorAndIgnoresDoubleClick)
{
    TypedEdit *edit = edits[0];
    edit->setEditStyle(esDropDown);
    edit->setText(QStringLiteral("slovo"));
    const QRect button = edit->buttonRect();
    QTest::mouseMove(edit, button.center());
    EXPECT_EQ(edit->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(edit, QPoint(5, button.center().y()));
    EXPECT_EQ(edit->cursor().shape(), Qt::IBeamCursor);

    enter(edit);
    edit->deselect();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(button.center()),
                    edit->mapToGlobal(QPointF(button.center())), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(edit, &dbl);
    EXPECT_TRUE(edit->selectedText().isEmpty());
    EXPECT_FALSE(edit->buttonPressed());
}

TEST_F(AEditTest, ReadOnlyFieldChangesColourOnEnterAndLeave)
{
    TypedEdit *field = edits[0];
    field->setReadOnly(true);
    const QColor designed = form->palette().color(QPalette::Window);
    field->setColor(designed);
    field->setText(QStringLiteral("1.1.0.7"));
    const QPoint inside(8, field->height() / 2);
    auto shown = [&] { return field->grab().toImage().pixelColor(inside); };
    enter(edits[1]);
    EXPECT_EQ(shown(), designed);

    QTest::mouseClick(field, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(background(field), field->focusColor());
    EXPECT_EQ(shown(), field->focusColor());

    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_TRUE(edits[1]->hasFocus());
    EXPECT_EQ(shown(), designed);
    EXPECT_EQ(field->text(), QStringLiteral("1.1.0.7"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(AEditTest, PaletteSetInCodeIsTheDesignedColour)
{
    TypedEdit *edit = edits[2];
    QPalette yellow = edit->palette();
    yellow.setColor(QPalette::Base, Qt::yellow);
    edit->setPalette(yellow);
    EXPECT_EQ(edit->color(), QColor(Qt::yellow));
    enter(edit);
    edit->setFocusColor(Qt::cyan); // changes what shows now
    EXPECT_EQ(background(edit), QColor(Qt::cyan));
    enter(edits[0]);
    EXPECT_EQ(background(edit), QColor(Qt::yellow));
}

TEST_F(AEditTest, TypedAccessUsesTheRegionalForms)
{
    TypedEdit *edit = edits[0];
    edit->setEditType(ttFloat);
    edit->setEditMask(QStringLiteral("0.00"));
    edit->setAsFloat(1234.5);
    EXPECT_EQ(edit->text(), QStringLiteral("1234,50"));
    EXPECT_DOUBLE_EQ(edit->asFloat(), 1234.5);
    edit->setAsFloat(1e20); // no exponent that the digits filter would mangle
    EXPECT_EQ(edit->text(), QStringLiteral("100000000000000000000,00"));

    edit->setEditType(ttCurrency);
    edit->setEditMask(QStringLiteral("0.00 %s"));
    edit->setAsInteger(12);
    EXPECT_EQ(edit->text(), QStringLiteral("12,00 €"));
    EXPECT_DOUBLE_EQ(edit->asFloat(), 12.0);
    EXPECT_EQ(edit->asInteger(), 0); // "12,00" is no whole number
    edit->setText(QStringLiteral("x")); // no digits: nothing, which is 0
    EXPECT_EQ(edit->text(), QStringLiteral("0,00 €"));
    edit->setText(QStringLiteral("1,2,3"));
    EXPECT_FALSE(edit->TestResult);
    EXPECT_EQ(edit->ErrMessage, QStringLiteral("Doplňte sumu v €!"));

    edit->setEditType(ttString);
    edit->setAsDate(QDate(2024, 12, 24));
    EXPECT_EQ(edit->text(), QStringLiteral("24.12.2024"));
    edit->setAsTime(QTime(8, 5, 0));
    EXPECT_EQ(edit->text(), QStringLiteral("8:05:00"));
    EXPECT_EQ(edit->asTime(), QTime(8, 5, 0));
    edit->setText(QStringLiteral("ráno"));
    EXPECT_EQ(edit->asTime(), QTime(0, 0));
    EXPECT_EQ(NumberChars(QStringLiteral("a1,5.x")), QStringLiteral("1,5."));
}

// Pictures of the three styles, valid and invalid, for a person to look at.
TEST_F(AEditTest, RendersItsStyles)
{
    const QString dir = QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts");
    QDir().mkpath(dir);
    const std::pair<TEditStyle, const char *> styles[] = {
        {esSimple, "simple"}, {esEllipsis, "ellipsis"}, {esDropDown, "dropdown"}};
    for (const auto &[style, name] : styles) {
        for (const bool valid : {true, false}) {
            TypedEdit edit;
            edit.setEditType(ttCurrency);
            edit.setEditMask(QStringLiteral("0.00 %s"));
            edit.setEditStyle(style);
            edit.resize(180, edit.sizeHint().height());
            edit.setText(valid ? QStringLiteral("1234,5") : QStringLiteral("12,3,4"));
            if (!valid)
                edit.setColor(edit.errorColor());
            const QImage image = edit.grab().toImage();
            const QString file =
                QStringLiteral("%1/aedit-%2-%3.png")
                    .arg(dir, QLatin1String(name), valid ? QLatin1String("valid")
                                                         : QLatin1String("invalid"));
            EXPECT_TRUE(image.save(file)) << file.toStdString();
            if (style != esSimple && valid) {
                // And with the button held down.
                QTest::mousePress(&edit, Qt::LeftButton, {}, edit.buttonRect().center());
                EXPECT_TRUE(edit.buttonPressed());
                EXPECT_TRUE(edit.grab().toImage().save(
                    QStringLiteral("%1/aedit-%2-pressed.png").arg(dir, QLatin1String(name))));
                QTest::mouseRelease(&edit, Qt::LeftButton, {}, edit.buttonRect().center());
                // And with the mouse over the control.
                QEnterEvent enterEvent(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
                QApplication::sendEvent(&edit, &enterEvent);
                EXPECT_TRUE(edit.grab().toImage().save(
                    QStringLiteral("%1/aedit-%2-hot.png").arg(dir, QLatin1String(name))));
            }
            if (style == esEllipsis) {
                // The middle one of the three squares is black.
                const QRect b = edit.buttonRect();
                EXPECT_EQ(image.pixelColor(b.left() + b.width() / 2 - 1,
                                           b.top() + b.height() / 2 - 1),
                          QColor(Qt::black));
            }
        }
    }
}

} // namespace
