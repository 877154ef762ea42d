// The main window's command for the settings of the background update check.
#include "core/MenuSettings.h"
#include "core/WindowSettings.h"
#include "gui/MainWindow.h"
#include "gui/MenuInternet2.h"

#include <QTimer>

namespace menu::gui {

void TfMenuMain::MenuOptionsClick()
{
    TfMenuInternet2 dialog(*menuIni_, *services_.boxes, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    LicKon = core::licKonFrom(
        menuIni_->MenuIniRead(QStringLiteral("OPTIONS"), QStringLiteral("LicKon")));
    // The timer's start decision sees the new choice in about a second; on this road a
    // waiting newer version does not hold the check back.
    TimerDownload->start();
}

} // namespace menu::gui
