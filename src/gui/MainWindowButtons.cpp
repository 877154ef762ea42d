// The module buttons of the main window: building them from the module files, their
// captions and pictures, and what a click on them or on their submenu entries does.
#include "core/ButtonLayout.h"
#include "core/EntryTexts.h"
#include "core/ModuleCodes.h"
#include "core/PackagePaths.h"
#include "core/VersionInfo.h"
#include "gui/Faults.h"
#include "gui/LaunchFile.h"
#include "gui/MainWindow.h"
#include "gui/ModuleButton.h"
#include "gui/TemplatePictures.h"
#include "platform/Executables.h"

#include <QMenu>
#include <QPixmap>
#include <QToolButton>

namespace menu::gui {

namespace {
constexpr int kButtonSectionDigits = 1;
constexpr int kSubmenuSectionDigits = 2;
} // namespace

ModuleButton *TfMenuMain::moduleButton(int n) const
{
    return Panel->findChild<ModuleButton *>(QStringLiteral("BitBtn") + QString::number(n),
                                            Qt::FindDirectChildrenOnly);
}

void TfMenuMain::ButtonReadAll()
{
    CursorWaitScope wait;
    ButtonColumns = core::buttonColumnsFor(Panel->width());
    ButtonRows = core::buttonRowsFor(Panel->height());
    ButtonCount = 0;
    for (const char *code : core::ModuleCodes)
        ButtonRead(QLatin1String(code));
    buildPictures_.clear();
}

void TfMenuMain::ButtonRead(const QString &Sub)
{
    for (const core::ModuleEntry &entry : modules_->buttons(Sub)) {
        ++ButtonCount;
        ButtonCreate(Sub + entry.section.mid(4), entry.target, entry.name, entry.extra);
    }
}

void TfMenuMain::ButtonCreate(const QString &SubPor, const QString &FileExe, const QString &FileNaz,
                              const QString &FileDop)
{
    const int n = ButtonCount;
    auto *button = new ModuleButton(Panel);
    button->setObjectName(QStringLiteral("BitBtn") + QString::number(n));
    button->CommandLinkHint = SubPor;
    // Invisible until the layout places it.
    button->setGeometry(0, 0, 0, core::ButtonHeight);
    button->setCaption(QString::number(n));
    connect(button, &QToolButton::clicked, this,
            [this, button] { guarded(this, [this, button] { ButtonClick(button); }); });
    try {
        ButtonCaptionSet(SubPor, button, FileExe, FileNaz, FileDop);

        const QString module = core::entryModule(SubPor);
        QMenu *submenu = nullptr;
        for (int i = 1; i <= 9; ++i) {
            const QString section = core::entrySection(SubPor, 1) + QString::number(i);
            QString name, extra, target;
            if (!modules_->ModuleEntryRead(module, section, name, extra, target))
                break;
            try {
                if (submenu == nullptr) {
                    submenu = new QMenu(button);
                    submenu->setObjectName(QStringLiteral("PopupMenu") + SubPor);
                }
                auto *item = new ModuleMenuItem(name, submenu);
                item->Hint = SubPor + QString::number(i);
                submenu->addAction(item);
                connect(item, &QAction::triggered, this,
                        [this, item] { guarded(this, [this, item] { PopupMenuIniClick(item); }); });
                MenuItemBitmapSet(item, target, name);
            } catch (...) {
                services_.boxes->show(this, platform::BoxKind::Error,
                                      core::submenuCreateErrorText(section));
                break;
            }
        }
        button->PopupMenu =
            submenu != nullptr && !submenu->actions().isEmpty() ? submenu : PopupMenuDefaultBez;
        button->show();
    } catch (...) {
        services_.boxes->show(this, platform::BoxKind::Error, core::buttonCreateErrorText(n));
        delete button; // with its submenu; the number stays used and its cell empty
    }
}

void TfMenuMain::ButtonFreeAll()
{
    CursorWaitScope wait;
    while (ButtonCount > 0) {
        if (ModuleButton *button = moduleButton(ButtonCount)) {
            if (button->PopupMenu != nullptr && button->PopupMenu != PopupMenuDefaultBez)
                delete button->PopupMenu;
            delete button;
            Panel->update();
        }
        --ButtonCount;
    }
}

void TfMenuMain::MenuRefreshClick()
{
    LicKonTeraz = true;
    MenuRefreshAll();
}

void TfMenuMain::MenuRefreshAll()
{
    UpdateCheckStart();
    ButtonFreeAll();
    ButtonReadAll();
    ButtonsArrange();
}

void TfMenuMain::ButtonCaptionSet(const QString &key, ModuleButton *button, const QString &path,
                                  const QString &name, const QString &second)
{
    const bool teamViewer = key.compare(core::teamViewerKey(), Qt::CaseInsensitive) == 0;
    if (!core::fileExists(path)) {
        button->setCaption(core::missingButtonCaption(name, second));
        button->setIcon(BitBtnDefault->icon());
        button->setEnabled(false);
        if (teamViewer) {
            TeaFileExe = path;
            TeaFileVersion.clear();
        }
        return;
    }
    button->setEnabled(true);
    QString version;
    core::VersionResult result;
    if (teamViewer) {
        result = core::ReadProductVersion(*services_.versions, path, version);
        TeaFileExe = path;
        TeaFileVersion = version;
    } else {
        result = core::ReadFileVersion(*services_.versions, path, version);
    }
    if (result == core::VersionResult::NoFile) {
        button->setEnabled(false); // vanished meanwhile; the picture stays as it is
    } else {
        button->setIcon(programPicture(path));
    }
    button->setCaption(core::buttonCaption(
        name, second, core::versionLine(static_cast<unsigned>(result), version)));
}

QIcon TfMenuMain::neexistPicture(const char *kind) const
{
    const auto *item = PopupMenuDefaultNeexist->findChild<QAction *>(
        QStringLiteral("MenuItemDefaultNeexist") + QLatin1String(kind));
    return item != nullptr ? item->icon() : QIcon();
}

QIcon TfMenuMain::programPicture(const QString &path)
{
    // A program without an icon of its own shows the generic picture, decoded once.
    static const QImage generic = templatePicture(TemplatePicture::ProgramGeneric);
    QImage icon = services_.icons->largeIcon(path);
    if (icon.isNull())
        icon = generic;
    auto found = buildPictures_.find(icon.cacheKey());
    if (found == buildPictures_.end())
        found = buildPictures_.insert(icon.cacheKey(), QIcon(QPixmap::fromImage(icon)));
    return *found;
}

void TfMenuMain::MenuItemBitmapSet(QAction *item, const QString &path, const QString &name)
{
    item->setText(name);
    if (!core::fileExists(path)) {
        item->setIcon(neexistPicture("Ico"));
        item->setEnabled(false);
        return;
    }
    item->setEnabled(true);
    switch (core::entryPictureFor(path)) {
    case core::EntryPicture::ProgramIcon: {
        item->setIcon(programPicture(path));
        break;
    }
    case core::EntryPicture::Pdf:
        item->setIcon(neexistPicture("Pdf"));
        break;
    case core::EntryPicture::Chm:
        item->setIcon(neexistPicture("Chm"));
        break;
    case core::EntryPicture::Url:
        item->setIcon(neexistPicture("Url"));
        break;
    case core::EntryPicture::Bat:
        item->setIcon(neexistPicture("Bat"));
        break;
    case core::EntryPicture::None:
        item->setEnabled(false);
        break;
    }
}

void TfMenuMain::launchEntry(const QString &key, int sectionDigits)
{
    const QString module = core::entryModule(key);
    const QString section = core::entrySection(key, sectionDigits);
    QString name, extra, target;
    if (!modules_->ModuleEntryRead(module, section, name, extra, target)) {
        services_.boxes->show(this, platform::BoxKind::Error,
                              core::entryNotFoundText(module, section));
        return;
    }
    LaunchFile(this, *services_.shell, *services_.boxes, name, target);
}

void TfMenuMain::ButtonClick(QObject *Sender)
{
    if (auto *button = qobject_cast<ModuleButton *>(Sender))
        launchEntry(button->CommandLinkHint, kButtonSectionDigits);
}

void TfMenuMain::PopupMenuIniClick(QObject *Sender)
{
    if (auto *item = qobject_cast<ModuleMenuItem *>(Sender))
        launchEntry(item->Hint, kSubmenuSectionDigits);
}

} // namespace menu::gui
