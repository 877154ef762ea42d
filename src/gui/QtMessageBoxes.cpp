#include "gui/QtMessageBoxes.h"

#include "formats/MessageLines.h"
#include "widgets/ErrorBox.h"

#include <QMessageBox>
#include <QPushButton>

namespace menu::gui {

QString boxTitle(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Error:
        return QStringLiteral("Chyba");
    case BoxKind::Warning:
        return QStringLiteral("Upozornenie");
    case BoxKind::Information:
        return QStringLiteral("Informácia");
    case BoxKind::Confirmation:
        return QStringLiteral("Potvrdenie");
    }
    return {};
}

namespace {
QMessageBox::Icon boxIcon(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Error:
        return QMessageBox::Critical;
    case BoxKind::Warning:
        return QMessageBox::Warning;
    case BoxKind::Information:
        return QMessageBox::Information;
    case BoxKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

BoxAnswer QtMessageBoxes::show(QWidget *owner, BoxKind kind, const QString &text)
{
    QMessageBox box(boxIcon(kind), boxTitle(kind), formats::messageLines(text),
                    QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    if (kind == BoxKind::Confirmation) {
        QPushButton *yes = box.addButton(QStringLiteral("&Áno"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("&Nie"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? BoxAnswer::Yes : BoxAnswer::No;
    }
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return BoxAnswer::Ok;
}

void QtMessageBoxes::showFault(QWidget *owner, const QString &title, const QString &text)
{
    widgets::showPlainErrorBox(owner, title, text);
}

} // namespace menu::gui
