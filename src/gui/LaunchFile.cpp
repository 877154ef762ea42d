#include "gui/LaunchFile.h"

#include "core/EntryTexts.h"
#include "core/PackagePaths.h"

#include <QFileInfo>

namespace menu::gui {

void LaunchFile(QWidget *owner, platform::Shell &shell, platform::MessageBoxes &boxes,
                const QString &name, const QString &path)
{
    if (path.isEmpty()) {
        boxes.show(owner, platform::BoxKind::Error, core::launchUndefinedText(name));
        return;
    }
    if (!core::fileExists(path)) {
        boxes.show(owner, platform::BoxKind::Information, core::launchMissingText(name, path));
        return;
    }
    const int result = shell.open(path, QFileInfo(path).absolutePath());
    const QString failure = core::launchFailedText(name, result);
    if (!failure.isEmpty())
        boxes.show(owner, platform::BoxKind::Error, failure);
}

} // namespace menu::gui
