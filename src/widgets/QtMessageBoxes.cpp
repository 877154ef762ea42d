#include "widgets/QtMessageBoxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace menu::widgets {


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

// Texts are built with CR between lines, as the Windows boxes expect; Qt breaks at LF.
QString boxText(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}
} // namespace

BoxAnswer QtMessageBoxes::show(QWidget *owner, BoxKind kind, const QString &text)
{
    QMessageBox box(boxIcon(kind), boxTitle(kind), boxText(text), QMessageBox::NoButton, owner);
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
    QMessageBox box(QMessageBox::Critical, title, boxText(text), QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

} // namespace menu::widgets
