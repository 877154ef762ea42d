// The typed edit control on a real form (offscreen), with Slovak settings on 15.3.2024 and an
// error box that records instead of waiting.
#include "widgets/TypedEdit.h"

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
#include <optional>
#include <vector>

using namespace menu::widgets;

namespace {

struct RecordingBoxes : ErrorBox {
    struct Box {
        QString text;
    };
    std::vector<Box> shown;
    void showError(QWidget *, const QString &text) override { shown.push_back({text}); }
};

QColor background(const TypedEdit *edit)
{
    return edit->palette().color(QPalette::Base);
}

class TypedEditTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        form = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(form.get());
        for (int i = 0; i < 3; ++i) {
            auto *edit = new TypedEdit(form.get());
            edit->setRegionalSettings(&regional);
            edit->setErrorBox(&boxes);
            edit->setObjectName(QStringLiteral("edit%1").arg(i));
            layout->addWidget(edit);
        }
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override { form.reset(); }

    // The form's controls by their names, top to bottom.
    TypedEdit *control(int i) const
    {
        auto *found = form->findChild<TypedEdit *>(QStringLiteral("edit%1").arg(i));
        EXPECT_NE(found, nullptr) << i;
        return found;
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
};

TEST_F(TypedEditTest, LeavingAnInvalidControlShowsTheErrorAndKeepsTheFocus)
{
    TypedEdit *number = control(0);
    number->setValueType(ValueType::Integer);
    number->setEditMask(QStringLiteral("0"));
    const QColor designed = number->color();
    enter(number);
    EXPECT_EQ(background(number), number->focusColor());

    QTest::keyClicks(number, QStringLiteral("1.5"));
    QTest::keyClick(number, Qt::Key_Tab);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Doplňte celé číslo!"));
    EXPECT_TRUE(number->hasFocus());
    EXPECT_FALSE(number->isValid());
    EXPECT_EQ(number->text(), QStringLiteral("1.5"));
    // Back in the control it keeps the error colour, not the focus colour.
    EXPECT_EQ(background(number), number->errorColor());

    // Clicking into the next control is refused the same way.
    QTest::mouseClick(control(1), Qt::LeftButton);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(number->hasFocus());
    EXPECT_EQ(background(control(1)), control(1)->color()); // never counted as entered

    number->selectAll();
    QTest::keyClicks(number, QStringLiteral("12a3"));
    QTest::keyClick(number, Qt::Key_Tab);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(number->text(), QStringLiteral("123"));
    EXPECT_TRUE(control(1)->hasFocus());
    EXPECT_EQ(background(number), designed);
}

TEST_F(TypedEditTest, HidingAnInvalidControlShowsNoBox)
{
    TypedEdit *number = control(1);
    number->setValueType(ValueType::Integer);
    enter(number);
    number->setText(QStringLiteral("1.5"));
    number->hide();
    EXPECT_FALSE(number->hasFocus());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(background(number), number->errorColor());

    // A valid one goes back to its designed colour.
    enter(control(2));
    control(2)->setEnabled(false);
    EXPECT_FALSE(control(2)->hasFocus());
    EXPECT_EQ(background(control(2)), control(2)->color());
}

TEST_F(TypedEditTest, WithoutABoxServiceAPlainErrorBoxIsShown)
{
    TypedEdit *number = control(0);
    number->setErrorBox(nullptr);
    number->setValueType(ValueType::Integer);
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

TEST_F(TypedEditTest, WithoutRegionalSettingsSlovakFormsAndTodayAreUsed)
{
    TypedEdit *edit = control(0);
    edit->setRegionalSettings(nullptr);
    edit->setValueType(ValueType::Date);
    const int yearBefore = QDate::currentDate().year();
    edit->setText(QStringLiteral("5/4"));
    const int yearAfter = QDate::currentDate().year();
    EXPECT_TRUE(edit->text() == QStringLiteral("5.4.%1").arg(yearBefore) ||
                edit->text() == QStringLiteral("5.4.%1").arg(yearAfter))
        << edit->text().toStdString();

    edit->setValueType(ValueType::Currency);
    edit->setEditMask(defaultEditMask(ValueType::Currency));
    edit->setText(QStringLiteral("1 234,5"));
    EXPECT_EQ(edit->text(), QStringLiteral("1234,50 €"));

    // A control's own settings win over the defaults.
    menu::platform::RegionalFormats iso = menu::platform::slovakFormats();
    iso.dateSeparator = QLatin1Char('-');
    iso.shortDateFormat = QStringLiteral("yyyy-MM-dd");
    menu::platform::FixedRegionalSettings own(iso, QDate(2024, 3, 15));
    edit->setRegionalSettings(&own);
    edit->setValueType(ValueType::Date);
    edit->setText(QStringLiteral("2023/4/5"));
    EXPECT_EQ(edit->text(), QStringLiteral("2023-04-05"));
}

TEST_F(TypedEditTest, DateIsCompletedOnLeaving)
{
    TypedEdit *date = control(0);
    date->setValueType(ValueType::Date);
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

TEST_F(TypedEditTest, ValidatorMayRefuseAValidText)
{
    TypedEdit *edit = control(0);
    int calls = 0;
    edit->setValidator([&](const QString &text) -> std::optional<QString> {
        ++calls;
        if (text == QLatin1String("zle"))
            return QStringLiteral("Takú hodnotu nepoznám!");
        return std::nullopt;
    });
    enter(edit);
    QTest::keyClicks(edit, QStringLiteral("zle"));
    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, QStringLiteral("Takú hodnotu nepoznám!"));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_FALSE(edit->isValid());
    EXPECT_EQ(edit->errorMessage(), QStringLiteral("Takú hodnotu nepoznám!"));
    EXPECT_EQ(background(edit), edit->errorColor());

    // A text the type itself refuses never reaches the validator.
    edit->setValueType(ValueType::Integer);
    edit->setText(QStringLiteral("1.5"));
    const int before = calls;
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(calls, before);
    EXPECT_EQ(boxes.shown.back().text, QStringLiteral("Doplňte celé číslo!"));

    edit->setValueType(ValueType::Text);
    edit->setText(QStringLiteral("dobré"));
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_TRUE(control(1)->hasFocus());
}

TEST_F(TypedEditTest, KeysLikeTabMoveThroughTheForm)
{
    for (int i = 0; i < 3; ++i)
        control(i)->setTabKeys(TabKey::Enter | TabKey::Down | TabKey::Up);
    enter(control(0));
    QTest::keyClick(control(0), Qt::Key_Return);
    EXPECT_TRUE(control(1)->hasFocus());
    QTest::keyClick(control(1), Qt::Key_Down);
    EXPECT_TRUE(control(2)->hasFocus());
    QTest::keyClick(control(2), Qt::Key_Up);
    EXPECT_TRUE(control(1)->hasFocus());

    // Without them the keys only select the text, and never type a line break.
    control(1)->setTabKeys({});
    control(1)->setText(QStringLiteral("abc"));
    control(1)->deselect();
    QTest::keyClick(control(1), Qt::Key_Down);
    EXPECT_TRUE(control(1)->hasFocus());
    EXPECT_EQ(control(1)->selectedText(), QStringLiteral("abc"));
    control(1)->deselect();
    QTest::keyClick(control(1), Qt::Key_Enter);
    EXPECT_TRUE(control(1)->hasFocus());
    EXPECT_EQ(control(1)->text(), QStringLiteral("abc"));
    EXPECT_EQ(control(1)->selectedText(), QStringLiteral("abc"));
}

TEST_F(TypedEditTest, EllipsisClicksOnlyWhenReleasedOverTheButton)
{
    TypedEdit *edit = control(0);
    edit->setInnerButton(InnerButton::Ellipsis);
    int clicks = 0;
    QObject::connect(edit, &TypedEdit::buttonClicked, edit, [&] { ++clicks; });
    const QRect button = edit->buttonRect();
    ASSERT_FALSE(button.isEmpty());
    EXPECT_EQ(button.right(), edit->rect().right() - (edit->width() - 1 - button.right()));
    EXPECT_EQ(button.width(), edit->buttonWidth());

    QTest::mousePress(edit, Qt::LeftButton, {}, button.center());
    EXPECT_TRUE(edit->isButtonPressed());
    QTest::mouseMove(edit, QPoint(5, button.center().y()));
    EXPECT_FALSE(edit->isButtonPressed());
    QTest::mouseRelease(edit, Qt::LeftButton, {}, QPoint(5, button.center().y()));
    EXPECT_EQ(clicks, 0);

    QTest::mousePress(edit, Qt::LeftButton, {}, button.center());
    QTest::mouseMove(edit, QPoint(5, button.center().y()));
    QTest::mouseMove(edit, button.center());
    EXPECT_TRUE(edit->isButtonPressed());
    QTest::mouseRelease(edit, Qt::LeftButton, {}, button.center());
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(edit->isButtonPressed());

    // Losing the window ends the press: the later release clicks nothing.
    QTest::mousePress(edit, Qt::LeftButton, {}, button.center());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(edit, &deactivate);
    EXPECT_FALSE(edit->isButtonPressed());
    QTest::mouseRelease(edit, Qt::LeftButton, {}, button.center());
    EXPECT_EQ(clicks, 1);

    enter(edit);
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(edit->hasFocus());

    // Without a button Alt+Down raises nothing.
    edit->setInnerButton(InnerButton::None);
    QTest::keyClick(edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(edit->buttonRect().isEmpty());
}

TEST_F(TypedEditTest, ButtonShowsArrowCursorAndIgnoresDoubleClick)
{
    TypedEdit *edit = control(0);
    edit->setInnerButton(InnerButton::DropDown);
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
    EXPECT_FALSE(edit->isButtonPressed());
}

TEST_F(TypedEditTest, ReadOnlyFieldChangesColourOnEnterAndLeave)
{
    TypedEdit *field = control(0);
    field->setReadOnly(true);
    const QColor designed = form->palette().color(QPalette::Window);
    field->setColor(designed);
    field->setText(QStringLiteral("1.1.0.7"));
    const QPoint inside(8, field->height() / 2);
    auto shown = [&] { return field->grab().toImage().pixelColor(inside); };
    enter(control(1));
    EXPECT_EQ(shown(), designed);

    QTest::mouseClick(field, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(background(field), field->focusColor());
    EXPECT_EQ(shown(), field->focusColor());

    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_TRUE(control(1)->hasFocus());
    EXPECT_EQ(shown(), designed);
    EXPECT_EQ(field->text(), QStringLiteral("1.1.0.7"));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TypedEditTest, PaletteSetInCodeIsTheDesignedColour)
{
    TypedEdit *edit = control(2);
    QPalette yellow = edit->palette();
    yellow.setColor(QPalette::Base, Qt::yellow);
    edit->setPalette(yellow);
    EXPECT_EQ(edit->color(), QColor(Qt::yellow));
    enter(edit);
    edit->setFocusColor(Qt::cyan); // changes what shows now
    EXPECT_EQ(background(edit), QColor(Qt::cyan));
    enter(control(0));
    EXPECT_EQ(background(edit), QColor(Qt::yellow));
}

TEST_F(TypedEditTest, TypedAccessUsesTheRegionalForms)
{
    TypedEdit *edit = control(0);
    edit->setValueType(ValueType::Decimal);
    edit->setEditMask(QStringLiteral("0.00"));
    edit->setAsDecimal(1234.5);
    EXPECT_EQ(edit->text(), QStringLiteral("1234,50"));
    EXPECT_DOUBLE_EQ(edit->asDecimal(), 1234.5);
    edit->setAsDecimal(1e20); // no exponent that the digits filter would mangle
    EXPECT_EQ(edit->text(), QStringLiteral("100000000000000000000,00"));

    edit->setValueType(ValueType::Currency);
    edit->setEditMask(QStringLiteral("0.00 %s"));
    edit->setAsInteger(12);
    EXPECT_EQ(edit->text(), QStringLiteral("12,00 €"));
    EXPECT_DOUBLE_EQ(edit->asDecimal(), 12.0);
    EXPECT_EQ(edit->asInteger(), 0);    // "12,00" is no whole number
    edit->setText(QStringLiteral("x")); // no digits: nothing, which is 0
    EXPECT_EQ(edit->text(), QStringLiteral("0,00 €"));
    edit->setText(QStringLiteral("1,2,3"));
    EXPECT_FALSE(edit->isValid());
    EXPECT_EQ(edit->errorMessage(), QStringLiteral("Doplňte sumu v €!"));

    edit->setValueType(ValueType::Text);
    edit->setAsDate(QDate(2024, 12, 24));
    EXPECT_EQ(edit->text(), QStringLiteral("24.12.2024"));
    edit->setAsTime(QTime(8, 5, 0));
    EXPECT_EQ(edit->text(), QStringLiteral("8:05:00"));
    EXPECT_EQ(edit->asTime(), QTime(8, 5, 0));
    edit->setText(QStringLiteral("ráno"));
    EXPECT_EQ(edit->asTime(), QTime(0, 0));
}

// Pictures of the three styles, valid and invalid, for a person to look at.
TEST_F(TypedEditTest, RendersItsStyles)
{
    const QString dir = QStringLiteral(MENU_TEST_BINARY_DIR "/artefacts");
    QDir().mkpath(dir);
    const std::pair<InnerButton, const char *> styles[] = {{InnerButton::None, "simple"},
                                                           {InnerButton::Ellipsis, "ellipsis"},
                                                           {InnerButton::DropDown, "dropdown"}};
    for (const auto &[style, name] : styles) {
        for (const bool valid : {true, false}) {
            TypedEdit edit;
            edit.setValueType(ValueType::Currency);
            edit.setEditMask(QStringLiteral("0.00 %s"));
            edit.setInnerButton(style);
            edit.resize(180, edit.sizeHint().height());
            edit.setText(valid ? QStringLiteral("1234,5") : QStringLiteral("12,3,4"));
            if (!valid)
                edit.setColor(edit.errorColor());
            const QImage image = edit.grab().toImage();
            const QString file =
                QStringLiteral("%1/typededit-%2-%3.png")
                    .arg(dir, QLatin1String(name),
                         valid ? QLatin1String("valid") : QLatin1String("invalid"));
            EXPECT_TRUE(image.save(file)) << file.toStdString();
            if (style != InnerButton::None && valid) {
                // And with the button held down.
                QTest::mousePress(&edit, Qt::LeftButton, {}, edit.buttonRect().center());
                EXPECT_TRUE(edit.isButtonPressed());
                EXPECT_TRUE(edit.grab().toImage().save(
                    QStringLiteral("%1/typededit-%2-pressed.png").arg(dir, QLatin1String(name))));
                QTest::mouseRelease(&edit, Qt::LeftButton, {}, edit.buttonRect().center());
                // And with the mouse over the control.
                QEnterEvent enterEvent(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
                QApplication::sendEvent(&edit, &enterEvent);
                EXPECT_TRUE(edit.grab().toImage().save(
                    QStringLiteral("%1/typededit-%2-hot.png").arg(dir, QLatin1String(name))));
            }
            if (style == InnerButton::Ellipsis) {
                // The middle one of the three squares is black.
                const QRect b = edit.buttonRect();
                EXPECT_EQ(
                    image.pixelColor(b.left() + b.width() / 2 - 1, b.top() + b.height() / 2 - 1),
                    QColor(Qt::black));
            }
        }
    }
}

} // namespace
