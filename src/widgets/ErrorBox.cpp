#include "widgets/ErrorBox.h"

#include "formats/MessageLines.h"

#include <QMessageBox>
#include <QPushButton>

namespace menu::widgets {

void showPlainErrorBox(QWidget *owner, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, title, formats::messageLines(text),
                    QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

} // namespace menu::widgets
