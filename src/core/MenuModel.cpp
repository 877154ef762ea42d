#include "core/MenuModel.h"

#include "core/Texts.h"
#include "platform/Files.h"

namespace menu::core {

namespace {
const QString kTeamViewerModule = QStringLiteral("Srv");
constexpr int kTeamViewerButton = 2;
} // namespace

std::optional<EntryKey> EntryKey::parse(const QString &text)
{
    if (text.size() != 4 && text.size() != 5)
        return std::nullopt;
    EntryKey key;
    key.module = text.left(3);
    key.button = text.at(3).digitValue();
    key.entry = text.size() == 5 ? text.at(4).digitValue() : 0;
    if (key.button < 1 || key.entry < 0 || (text.size() == 5 && key.entry < 1))
        return std::nullopt;
    return key;
}

QString EntryKey::text() const
{
    return module + QString::number(button) + (entry > 0 ? QString::number(entry) : QString());
}

QString EntryKey::section() const
{
    return QStringLiteral("Menu") + QString::number(button) +
           (entry > 0 ? QString::number(entry) : QString());
}

bool EntryKey::isTeamViewer() const
{
    return entry == 0 && button == kTeamViewerButton &&
           module.compare(kTeamViewerModule, Qt::CaseInsensitive) == 0;
}

EntryPicture entryPictureFor(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    // A name like "readme." or one without a dot has no extension to go by.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return EntryPicture::None;
    const QString suffix = name.mid(dot + 1).toLower();
    if (suffix == QLatin1String("exe"))
        return EntryPicture::ProgramIcon;
    if (suffix == QLatin1String("pdf"))
        return EntryPicture::Pdf;
    if (suffix == QLatin1String("chm"))
        return EntryPicture::Chm;
    if (suffix == QLatin1String("url"))
        return EntryPicture::Url;
    if (suffix == QLatin1String("bat"))
        return EntryPicture::Bat;
    return EntryPicture::None;
}

QString MenuButton::caption() const
{
    if (!exists)
        return texts::buttonCaption(name, second, texts::notInstalledLine());
    return texts::buttonCaption(name, second, texts::versionLine(version));
}

MenuModel::MenuModel(const platform::ProfileStore &profiles,
                     const platform::VersionReader &versions, QString drivePrefix)
    : modules_(profiles, std::move(drivePrefix)), versions_(versions)
{
}

std::vector<MenuButton> MenuModel::read() const
{
    std::vector<MenuButton> buttons;
    for (const char *code : kModuleCodes) {
        const QString module = QLatin1String(code);
        const ModuleMenu found = modules_.menu(module);
        for (std::size_t i = 0; i < found.buttons.size(); ++i)
            buttons.push_back(
                button(module, static_cast<int>(i) + 1, found.buttons[i], found.submenus[i]));
    }
    return buttons;
}

MenuButton MenuModel::button(const QString &module, int number, const ModuleEntry &entry,
                             const std::vector<ModuleEntry> &submenu) const
{
    MenuButton button;
    button.key = {module, number, 0};
    button.name = entry.name;
    button.second = entry.extra;
    button.target = entry.target;
    button.exists = platform::isFile(entry.target);
    if (button.exists) {
        button.version = button.key.isTeamViewer() ? readProductVersion(versions_, entry.target)
                                                   : readFileVersion(versions_, entry.target);
    }
    int place = 0;
    for (const ModuleEntry &sub : submenu) {
        MenuEntry item;
        item.key = {module, number, ++place};
        item.name = sub.name;
        item.target = sub.target;
        item.exists = platform::isFile(sub.target);
        item.picture = entryPictureFor(sub.target);
        button.entries.push_back(std::move(item));
    }
    return button;
}

std::optional<ModuleEntry> MenuModel::entry(const EntryKey &key) const
{
    return modules_.entry(key.module, key.section());
}

const MenuButton *teamViewerButton(const std::vector<MenuButton> &buttons)
{
    for (const MenuButton &button : buttons) {
        if (button.key.isTeamViewer())
            return &button;
    }
    return nullptr;
}

} // namespace menu::core
