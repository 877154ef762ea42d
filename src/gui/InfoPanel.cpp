#include "gui/InfoPanel.h"

#include <QApplication>
#include <QVBoxLayout>

namespace menu::gui {

namespace {
constexpr int kInfoPanelWidth = 218;
constexpr int kInfoBoxHeight = 129;
} // namespace

InfoPanel createInfoPanel(QWidget *parent)
{
    auto *infoPanel = new QFrame(parent);
    infoPanel->setObjectName(QStringLiteral("infoPanel"));
    infoPanel->setFixedWidth(kInfoPanelWidth);
    infoPanel->setAutoFillBackground(true);
    QPalette grey = infoPanel->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    infoPanel->setPalette(grey);
    infoPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *infoBox = new QFrame(infoPanel);
    infoBox->setObjectName(QStringLiteral("infoBox"));
    infoBox->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    infoBox->setFixedHeight(kInfoBoxHeight);
    infoBox->setAutoFillBackground(true);
    QPalette face = infoBox->palette();
    face.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    infoBox->setPalette(face);
    auto *rightLayout = new QVBoxLayout(infoPanel);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addStretch(1);
    rightLayout->addWidget(infoBox);
    auto *notice = new QLabel(infoBox);
    notice->setObjectName(QStringLiteral("updateInfoLabel"));
    notice->setGeometry(10, 81, 193, 40);
    notice->setAlignment(Qt::AlignCenter);
    notice->setWordWrap(true);
    return {infoPanel, notice};
}

} // namespace menu::gui
