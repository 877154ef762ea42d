#include "gui/StatusBarPanels.h"

#include "core/MessageLines.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

namespace menu::gui {

StatusBarPanels::StatusBarPanels(int panels, QWidget *parent)
    : QWidget(parent), texts_(static_cast<std::size_t>(panels)),
      widths_(static_cast<std::size_t>(panels), 0)
{
}

void StatusBarPanels::setPanelText(int index, const QString &text)
{
    texts_.at(static_cast<std::size_t>(index)) = text;
    update();
}

int StatusBarPanels::panelWidth(int index) const
{
    if (index < panelCount() - 1)
        return widths_.at(static_cast<std::size_t>(index));
    int used = 0;
    for (int i = 0; i < panelCount() - 1; ++i)
        used += widths_[static_cast<std::size_t>(i)];
    return std::max(0, width() - used);
}

void StatusBarPanels::setPanelWidth(int index, int width)
{
    widths_.at(static_cast<std::size_t>(index)) = width;
    update();
}

void StatusBarPanels::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    int left = 0;
    for (int i = 0; i < panelCount(); ++i) {
        const int w = panelWidth(i);
        const QRect cell(left, 0, w, height());
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = cell.adjusted(0, 1, -2, 0);
        frame.lineWidth = 1;
        frame.state |= QStyle::State_Sunken;
        style()->drawPrimitive(QStyle::PE_FrameStatusBarItem, &frame, &painter, this);
        const QRect textRect = cell.adjusted(2, 1, -4, 0);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(texts_[static_cast<std::size_t>(i)],
                                                  Qt::ElideRight, textRect.width()));
        left += w;
    }
}

bool StatusBarPanels::event(QEvent *event)
{
    // The tool-tip joins its lines with CR as Windows does.
    if (event->type() == QEvent::ToolTip && !toolTip().isEmpty()) {
        auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), core::messageLines(toolTip()), this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace menu::gui
