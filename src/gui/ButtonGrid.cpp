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

ButtonGrid::ButtonGrid(const platform::IconReader &icons, MessageBoxes &boxes, QWidget *parent)
    : QFrame(parent), icons_(icons), boxes_(boxes)
{
    setObjectName(QStringLiteral("buttonGrid"));
    setFrameShape(QFrame::NoFrame);
    noEntries_ = new QMenu(this);
    noEntries_->setObjectName(QStringLiteral("noEntriesMenu"));
    QAction *none = noEntries_->addAction(QStringLiteral("(žiadna ponuka)"));
    none->setObjectName(QStringLiteral("noEntriesItem"));
    none->setEnabled(false);
    QPixmap blank(platform::kLargeIconSize, platform::kLargeIconSize);
    blank.fill(Qt::transparent);
    neutral_ = QIcon(blank);
}

ModuleButton *ButtonGrid::button(int n) const
{
    return findChild<ModuleButton *>(buttonName(n), Qt::FindDirectChildrenOnly);
}

void ButtonGrid::rebuild(const std::vector<core::MenuButton> &buttons)
{
    CursorWaitScope wait;
    delete fill_; // cancelled; what it had not delivered is dropped with it
    fill_ = nullptr;
    removeButtons();
    pictures_.clear();
    menu_ = buttons;
    columns_ = core::buttonColumnsFor(width());
    rows_ = core::buttonRowsFor(height());
    for (const core::MenuButton &menuButton : buttons)
        addButton(++count_, menuButton);
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
        if (entry.detailed) {
            showDetails(button, entry);
        } else {
            // A click reads its entry anew, so it works before the details are known.
            button->setCaption(entry.caption());
            button->setIcon(neutral_);
        }
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
            if (button.detailed) {
                item->setIcon(entryPicture(entry));
                item->setEnabled(entry.exists && entry.picture != core::EntryPicture::None);
            }
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

void ButtonGrid::fill(const core::MenuModel &model, const QString &cacheFile)
{
    delete fill_;
    fill_ = new core::MenuFill(model, &icons_, cacheFile, this);
    connect(fill_, &core::MenuFill::buttonDetailed, this,
            [this](int index, const core::MenuButton &button) {
                guarded(this, [&] { detailArrived(index, button); });
            });
    connect(fill_, &core::MenuFill::finished, this, &ButtonGrid::filled);
    core::DetailCache known = core::DetailCache::load(cacheFile);
    if (!known.empty() && model.detailFromCache(menu_, known) > 0) {
        for (std::size_t i = 0; i < menu_.size(); ++i) {
            if (menu_[i].fromCache)
                detailArrived(static_cast<int>(i), menu_[i]);
        }
    }
    fill_->start(menu_, std::move(known));
}

void ButtonGrid::stopFill()
{
    delete fill_;
    fill_ = nullptr;
}

void ButtonGrid::detailArrived(int index, const core::MenuButton &detailed)
{
    if (index < 0 || static_cast<std::size_t>(index) >= menu_.size())
        return;
    menu_[static_cast<std::size_t>(index)] = detailed;
    ModuleButton *shown = button(index + 1);
    if (shown == nullptr)
        return; // its creation failed; its cell stays empty
    showDetails(shown, detailed);
    if (QMenu *submenu = shown->submenu(); submenu != nullptr && submenu != noEntries_)
        showEntryDetails(submenu, detailed);
}

void ButtonGrid::showEntryDetails(QMenu *submenu, const core::MenuButton &button)
{
    // The items made (all, or those before a failure), matched by their keys. What the cache
    // says is missing may be there again: until checked, the items stay clickable.
    for (QAction *item : submenu->actions()) {
        for (const core::MenuEntry &entry : button.entries) {
            if (item->data().toString() == entry.key.text()) {
                item->setIcon(entryPicture(entry));
                item->setEnabled(button.fromCache ||
                                 (entry.exists && entry.picture != core::EntryPicture::None));
                break;
            }
        }
    }
}

void ButtonGrid::showDetails(ModuleButton *shown, const core::MenuButton &entry)
{
    shown->setCaption(entry.caption());
    // The cache never keeps a program from being started: only the check does.
    shown->setEnabled(entry.startable() || entry.fromCache);
    if (!entry.exists)
        shown->setIcon(templateIcon(TemplatePicture::MissingProgram));
    else if (entry.startable())
        shown->setIcon(programPicture(entry.icon));
}

QIcon ButtonGrid::programPicture(const QImage &own)
{
    // A program without an icon of its own shows the generic picture, decoded once.
    static const QImage generic = templatePicture(TemplatePicture::ProgramGeneric);
    const QImage icon = own.isNull() ? generic : own;
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
        return programPicture(entry.icon);
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
