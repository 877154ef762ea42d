// A status bar of fixed panels, each with its own width; the last one takes the rest.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace menu::gui {

class StatusBarPanels : public QWidget {
    Q_OBJECT
  public:
    StatusBarPanels(int panels, QWidget *parent = nullptr);

    int panelCount() const { return static_cast<int>(texts_.size()); }
    QString panelText(int index) const { return texts_.at(static_cast<std::size_t>(index)); }
    void setPanelText(int index, const QString &text);
    // The width of a panel; the last panel's is whatever remains of the bar.
    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);
    // How much of a panel's width its text may take: the rest is its frame and margins.
    static constexpr int kTextMargins = 6;
    // The least width at which the widths a layout gives (widths) leave every text whole.
    using Layout = std::function<std::vector<int>(int barWidth)>;
    void setLayoutRule(Layout widths) { layoutRule_ = std::move(widths); }
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override { return minimumSizeHint(); }

  protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

  private:
    std::vector<QString> texts_;
    std::vector<int> widths_;
    Layout layoutRule_;
};

} // namespace menu::gui
