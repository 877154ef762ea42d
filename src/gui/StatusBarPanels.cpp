#include "gui/StatusBarPanels.h"

#include "formats/MessageLines.h"

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
    updateGeometry(); // its least width follows the texts
    update();
}

QSize StatusBarPanels::minimumSizeHint() const
{
    const int height = minimumHeight();
    if (!layoutRule_)
        return {0, height};
    std::vector<int> needed;
    int total = 0;
    for (const QString &text : texts_) {
        // A pixel to spare, as the rounded widths may fall one short of the proportion.
        needed.push_back(text.isEmpty() ? 0
                                        : fontMetrics().horizontalAdvance(text) + kTextMargins + 1);
        total += needed.back();
    }
    // The widths grow with the bar; the first width that leaves every text whole is the least.
    const auto fits = [&](int barWidth) {
        const std::vector<int> widths = layoutRule_(barWidth);
        int used = 0;
        for (std::size_t i = 0; i < widths.size(); ++i) {
            if (widths[i] < needed[i])
                return false;
            used += widths[i];
        }
        return barWidth - used >= needed.back();
    };
    int low = 0;
    int high = std::max(total, 1);
    constexpr int kWidest = 1 << 16;
    while (!fits(high) && high < kWidest)
        high *= 2;
    while (low + 1 < high) {
        const int middle = low + (high - low) / 2;
        (fits(middle) ? high : low) = middle;
    }
    return {high, height};
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
        const QRect textRect = cell.adjusted(2, 1, 2 - kTextMargins, 0);
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
        QToolTip::showText(help->globalPos(), formats::messageLines(toolTip()), this);
        return true;
    }
    return QWidget::event(event);
}

} // namespace menu::gui
