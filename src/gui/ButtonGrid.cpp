#include "gui/ButtonGrid.h"

#include "core/ButtonLayout.h"
#include "core/Texts.h"
#include "gui/ErrorBoundary.h"
#include "gui/ModuleButton.h"
#include "gui/TemplatePictures.h"

#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace menu::gui {

namespace {

QString buttonName(int n)
{
    return QStringLiteral("moduleButton") + QString::number(n);
}

TemplatePicture pictureOfKind(core::EntryPicture kind)
{
    switch (kind) {
    case core::EntryPicture::Pdf:
        return TemplatePicture::Pdf;
    case core::EntryPicture::Chm:
        return TemplatePicture::Chm;
    case core::EntryPicture::Url:
        return TemplatePicture::Url;
    case core::EntryPicture::Bat:
        return TemplatePicture::Bat;
    case core::EntryPicture::ProgramIcon:
    case core::EntryPicture::None:
        break;
    }
    return TemplatePicture::MissingEntry;
}

} // namespace

ButtonGrid::ButtonGrid(const platform::IconReader &icons, widgets::MessageBoxes &boxes,
                       QWidget *parent)
    : QFrame(parent), icons_(icons), boxes_(boxes)
{
    setObjectName(QStringLiteral("buttonGrid"));
    setFrameShape(QFrame::NoFrame);
    noEntries_ = new QMenu(this);
    noEntries_->setObjectName(QStringLiteral("noEntriesMenu"));
    QAction *none = noEntries_->addAction(QStringLiteral("(žiadna ponuka)"));
    none->setObjectName(QStringLiteral("noEntriesItem"));
    none->setEnabled(false);
}

ModuleButton *ButtonGrid::button(int n) const
{
    return findChild<ModuleButton *>(buttonName(n), Qt::FindDirectChildrenOnly);
}

void ButtonGrid::rebuild(const std::vector<core::MenuButton> &buttons)
{
    CursorWaitScope wait;
    removeButtons();
    columns_ = core::buttonColumnsFor(width());
    rows_ = core::buttonRowsFor(height());
    for (const core::MenuButton &menuButton : buttons)
        addButton(++count_, menuButton);
    pictures_.clear();
    // One entry is not a menu yet: the notice stays behind a single button. The first build
    // decides it; a refresh leaves it as it was.
    if (!noticeDecided_) {
        notice_ = count_ <= 1 ? core::texts::noModules() : QString();
        noticeDecided_ = true;
    }
    update();
    relayout();
}

void ButtonGrid::removeButtons()
{
    for (int n = 1; n <= count_; ++n)
        delete button(n); // with its submenu
    count_ = 0;
}

void ButtonGrid::addButton(int number, const core::MenuButton &entry)
{
    auto *button = new ModuleButton(entry.key, this);
    button->setObjectName(buttonName(number));
    // Invisible until the layout places it.
    button->setGeometry(0, 0, 0, core::kButtonHeight);
    button->setCaption(QString::number(number));
    connect(button, &QToolButton::clicked, this,
            [this, button] { guarded(this, [&] { Q_EMIT launchRequested(button->key()); }); });
    try {
        button->setCaption(entry.caption());
        button->setEnabled(entry.startable());
        if (!entry.exists)
            button->setIcon(templateIcon(TemplatePicture::MissingProgram));
        else if (entry.startable())
            button->setIcon(programPicture(entry.target));
        button->setSubmenu(submenuOf(button, entry));
        button->show();
    } catch (...) {
        boxes_.show(this, core::BoxKind::Error, core::texts::buttonNotCreated(number));
        delete button; // with its submenu; the number stays used and its cell empty
    }
}

QMenu *ButtonGrid::submenuOf(ModuleButton *owner, const core::MenuButton &button)
{
    if (button.entries.empty())
        return noEntries_;
    auto *submenu = new QMenu(owner);
    submenu->setObjectName(QStringLiteral("submenu") + button.key.text());
    for (const core::MenuEntry &entry : button.entries) {
        try {
            QAction *item = submenu->addAction(entry.name);
            item->setData(entry.key.text());
            item->setIcon(entryPicture(entry));
            item->setEnabled(entry.exists && entry.picture != core::EntryPicture::None);
            const core::EntryKey key = entry.key;
            connect(item, &QAction::triggered, this,
                    [this, key] { guarded(this, [&] { Q_EMIT launchRequested(key); }); });
        } catch (...) {
            boxes_.show(this, core::BoxKind::Error,
                        core::texts::submenuNotCreated(entry.key.section()));
            break;
        }
    }
    return submenu;
}

QIcon ButtonGrid::programPicture(const QString &path)
{
    // A program without an icon of its own shows the generic picture, decoded once.
    static const QImage generic = templatePicture(TemplatePicture::ProgramGeneric);
    QImage icon = icons_.largeIcon(path);
    if (icon.isNull())
        icon = generic;
    auto found = pictures_.find(icon.cacheKey());
    if (found == pictures_.end())
        found = pictures_.insert(icon.cacheKey(), QIcon(QPixmap::fromImage(icon)));
    return *found;
}

QIcon ButtonGrid::entryPicture(const core::MenuEntry &entry)
{
    if (!entry.exists)
        return templateIcon(TemplatePicture::MissingEntry);
    if (entry.picture == core::EntryPicture::ProgramIcon)
        return programPicture(entry.target);
    if (entry.picture == core::EntryPicture::None)
        return {};
    return templateIcon(pictureOfKind(entry.picture));
}

void ButtonGrid::setArrangement(core::ButtonArrangement arrangement)
{
    arrangement_ = arrangement;
    arrange();
}

void ButtonGrid::arrange()
{
    CursorWaitScope wait;
    for (int n = 1; n <= count_; ++n) {
        if (ModuleButton *placed = button(n)) {
            const QPoint at = core::buttonPlace(n, arrangement_, columns_, rows_);
            placed->setGeometry(at.x(), at.y(), core::kButtonWidth, core::kButtonHeight);
        }
    }
}

void ButtonGrid::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    guarded(this, [this] {
        if (size() != laidOutFor_)
            relayout();
    });
}

void ButtonGrid::relayout()
{
    laidOutFor_ = size();
    columns_ = core::buttonColumnsFor(width());
    rows_ = core::buttonRowsFor(height());
    arrange();
    // Both minimums whatever the arrangement; the window's layout carries them over to it.
    setMinimumHeight(core::panelMinHeight(count_, columns_));
    setMinimumWidth(core::panelMinWidth(count_, rows_));
}

void ButtonGrid::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (notice_.isEmpty())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, notice_);
}

} // namespace menu::gui
