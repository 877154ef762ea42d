#include "core/MenuModel.h"

#include "core/PackagePaths.h"
#include "core/Texts.h"
#include "core/WorkerPool.h"
#include "formats/ProfileText.h"
#include "platform/Files.h"

#include <iterator>
#include <memory>

namespace menu::core {

namespace {
const QString kTeamViewerModule = QStringLiteral("Srv");
constexpr int kTeamViewerButton = 2;
const QString kExe = QStringLiteral("Exe");
const QString kNaz = QStringLiteral("Naz");
const QString kDop = QStringLiteral("Dop");
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
    if (!detailed)
        return texts::buttonCaption(name, second, QString());
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
    std::vector<MenuButton> buttons = readCaptions();
    detailAll(buttons, {});
    return buttons;
}

void MenuModel::readCaptionsAhead()
{
    // Without a thread to be had, readCaptions reads when asked.
    ahead_ = std::async(std::launch::async | std::launch::deferred,
                        [this] { return readModuleFiles(); });
}

std::vector<MenuButton> MenuModel::readCaptions() const
{
    return ahead_.valid() ? ahead_.get() : readModuleFiles();
}

std::vector<MenuButton> MenuModel::readModuleFiles() const
{
    std::vector<std::vector<MenuButton>> modules(kModuleCodes.size());
    forEachParallel(kModuleCodes.size(), kFileWorkers, [&](std::size_t m) {
        modules[m] = moduleButtons(QLatin1String(kModuleCodes.at(m)));
    });
    std::vector<MenuButton> buttons;
    for (std::vector<MenuButton> &module : modules)
        std::move(module.begin(), module.end(), std::back_inserter(buttons));
    return buttons;
}

std::vector<MenuButton> MenuModel::moduleButtons(const QString &module) const
{
    // The whole file once: one build asks it for hundreds of values. By the name the package
    // writes first; only when that is not there, a search without case (which lists the folder).
    const QString exact =
        modules_.drivePrefix() + QStringLiteral("/ORVAN/orvan-") + module + QStringLiteral(".ini");
    Result<QByteArray> bytes = platform::readWholeFile(exact, formats::kProfileFileMax);
    if (!bytes) {
        if (const QString found = modules_.filePath(module); found != exact)
            bytes = platform::readWholeFile(found, formats::kProfileFileMax);
    }
    if (!bytes)
        return {}; // a missing module file contributes no buttons
    return configuredButtons(formats::ProfileIndex(*bytes), module);
}

std::vector<MenuButton> configuredButtons(const formats::ProfileIndex &text, const QString &module)
{
    std::vector<MenuButton> buttons;
    const auto value = [&](const QString &section, const QString &key) {
        return text.lookup(section, key);
    };
    for (int b = 1; b <= 9; ++b) {
        const QString section = QStringLiteral("Menu") + QString::number(b);
        // A button needs a target; the buttons end at the first gap.
        const QString exe = value(section, kExe).value_or(QString());
        if (exe.isEmpty())
            break;
        MenuButton button;
        button.key = {module, b, 0};
        button.name = value(section, kNaz).value_or(QString());
        button.second = value(section, kDop).value_or(QString());
        button.configured = exe;
        for (int i = 1; i <= 9; ++i) {
            const QString sub = section + QString::number(i);
            // An entry needs the Exe key, even an empty one.
            const std::optional<QString> subExe = value(sub, kExe);
            if (!subExe)
                break;
            MenuEntry item;
            item.key = {module, b, i};
            item.name = value(sub, kNaz).value_or(QString());
            item.configured = *subExe;
            button.entries.push_back(std::move(item));
        }
        buttons.push_back(std::move(button));
    }
    return buttons;
}

DetailCache::Target MenuModel::target(const QString &configured, std::optional<bool> product,
                                      bool icon, const DetailSources &sources) const
{
    DetailCache::Target found;
    // The path as written is nearly always right: one look then tells all.
    const QString exact = modules_.drivePrefix() + QString(configured).replace(u'\\', u'/');
    found.exists = platform::isFile(exact);
    found.path = found.exists ? exact
                              : matchedPackagePath(modules_.drivePrefix(), configured,
                                                   platform::stampClockNs(), sources.folders);
    if (!found.exists && found.path != exact)
        found.exists = platform::isFile(found.path);
    found.product = product.value_or(false);
    const QString key = modules_.drivePrefix() + QLatin1Char('|') + configured;
    std::optional<platform::FileStamp> stamp;
    if (found.exists && (sources.known != nullptr || sources.learnt != nullptr))
        stamp = platform::fileStamp(found.path);
    if (stamp) {
        found.size = stamp->size;
        found.modifiedNs = stamp->modifiedNs;
    }
    const std::optional<DetailCache::Target> kept =
        sources.known != nullptr && stamp ? sources.known->find(key) : std::nullopt;
    if (kept && kept->path == found.path && kept->exists && kept->size == found.size &&
        kept->modifiedNs == found.modifiedNs && kept->product == found.product) {
        found.version = kept->version;
        found.icon = kept->icon;
    } else if (found.exists) {
        if (product)
            found.version = *product ? readProductVersion(versions_, found.path)
                                     : readFileVersion(versions_, found.path);
        // A program that vanished between the two looks shows no icon.
        if (icon && (!product || found.version.result != VersionResult::NoFile))
            found.icon = sources.icons->largeIcon(found.path);
    }
    if (sources.learnt != nullptr)
        sources.learnt->put(key, found);
    return found;
}

void MenuModel::detailButton(MenuButton &button, const DetailSources &sources) const
{
    DetailCache::Target found =
        target(button.configured, button.key.isTeamViewer(), sources.icons != nullptr, sources);
    button.target = std::move(found.path);
    button.exists = found.exists;
    button.version = found.exists ? found.version : VersionText{};
    button.icon = sources.icons != nullptr && button.startable() ? found.icon : QImage();
    button.fromCache = false;
}

void MenuModel::detailEntry(MenuEntry &entry, const DetailSources &sources) const
{
    const bool program =
        entryPictureFor(QString(entry.configured).replace(QLatin1Char('\\'), QLatin1Char('/'))) ==
        EntryPicture::ProgramIcon;
    DetailCache::Target found =
        target(entry.configured, std::nullopt, sources.icons != nullptr && program, sources);
    entry.target = std::move(found.path);
    entry.exists = found.exists;
    entry.picture = entryPictureFor(entry.target);
    entry.icon = entry.exists && entry.picture == EntryPicture::ProgramIcon ? found.icon : QImage();
}

std::size_t MenuModel::detailFromCache(std::vector<MenuButton> &buttons,
                                       const DetailCache &cache) const
{
    const auto kept = [&](const QString &configured) {
        return cache.find(modules_.drivePrefix() + QLatin1Char('|') + configured);
    };
    std::size_t detailed = 0;
    for (MenuButton &button : buttons) {
        const std::optional<DetailCache::Target> own = kept(button.configured);
        if (!own || own->product != button.key.isTeamViewer())
            continue;
        std::vector<DetailCache::Target> entries;
        for (const MenuEntry &entry : button.entries) {
            if (std::optional<DetailCache::Target> found = kept(entry.configured))
                entries.push_back(std::move(*found));
        }
        if (entries.size() != button.entries.size())
            continue;
        button.target = own->path;
        button.exists = own->exists;
        button.version = own->exists ? own->version : VersionText{};
        button.icon = own->icon;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            MenuEntry &entry = button.entries[i];
            entry.target = entries[i].path;
            entry.exists = entries[i].exists;
            entry.picture = entryPictureFor(entry.target);
            entry.icon = entries[i].icon;
        }
        button.detailed = true;
        button.fromCache = true;
        ++detailed;
    }
    return detailed;
}

void MenuModel::detailAll(std::vector<MenuButton> &buttons, const DetailSources &sources,
                          const std::atomic<bool> *cancel,
                          const std::function<void(std::size_t)> &done) const
{
    // Every target is one item, in the order of the buttons and their entries; a button is
    // done when its last item is.
    struct Item {
        std::size_t button;
        std::size_t entry; // 0: the button's own target
    };
    std::vector<Item> items;
    for (std::size_t b = 0; b < buttons.size(); ++b) {
        for (std::size_t e = 0; e <= buttons[b].entries.size(); ++e)
            items.push_back({b, e});
    }
    FolderMatches folders;
    DetailSources pass = sources;
    pass.folders = &folders;
    std::unique_ptr<std::atomic<std::size_t>[]> left(new std::atomic<std::size_t>[buttons.size()]);
    for (std::size_t b = 0; b < buttons.size(); ++b)
        left[b] = buttons[b].entries.size() + 1;
    forEachParallel(
        items.size(), kFileWorkers,
        [&](std::size_t i) {
            const Item item = items[i];
            MenuButton &button = buttons[item.button];
            // Whatever happens to this item, its button must still end.
            struct Finish {
                std::atomic<std::size_t> &left;
                MenuButton &button;
                const std::function<void(std::size_t)> &done;
                std::size_t index;
                ~Finish()
                {
                    if (left.fetch_sub(1) != 1)
                        return;
                    button.detailed = true;
                    if (done)
                        done(index);
                }
            } finish{left[item.button], button, done, item.button};
            if (item.entry == 0)
                detailButton(button, pass);
            else
                detailEntry(button.entries[item.entry - 1], pass);
        },
        cancel);
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
