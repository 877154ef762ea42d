#include "core/ModuleFiles.h"

#include "core/PackagePaths.h"

#include <utility>

namespace menu::core {

namespace {
const QString kExe = QStringLiteral("Exe");
const QString kNaz = QStringLiteral("Naz");
const QString kDop = QStringLiteral("Dop");
} // namespace

ModuleFiles::ModuleFiles(const platform::ProfileStore &store, QString drivePrefix)
    : store_(store), drivePrefix_(std::move(drivePrefix))
{
}

QString ModuleFiles::filePath(const QString &code) const
{
    return moduleFilePath(drivePrefix_, code);
}

std::optional<ModuleEntry> ModuleFiles::entry(const QString &code, const QString &section) const
{
    return entryIn(store_.readAll(filePath(code)), section);
}

std::vector<ModuleEntry> ModuleFiles::buttons(const QString &code) const
{
    return buttonsIn(store_.readAll(filePath(code)));
}

std::vector<ModuleEntry> ModuleFiles::submenuEntries(const QString &code, int button) const
{
    return submenuIn(store_.readAll(filePath(code)), button);
}

ModuleMenu ModuleFiles::menu(const QString &code) const
{
    const Snapshot file = store_.readAll(filePath(code));
    ModuleMenu read;
    read.buttons = buttonsIn(file);
    for (std::size_t b = 1; b <= read.buttons.size(); ++b)
        read.submenus.push_back(submenuIn(file, static_cast<int>(b)));
    return read;
}

std::optional<ModuleEntry> ModuleFiles::entryIn(const Snapshot &file, const QString &section) const
{
    if (!file)
        return std::nullopt;
    const std::optional<QString> exe = file->lookup(section, kExe);
    if (!exe)
        return std::nullopt; // missing section or Exe key
    ModuleEntry found;
    found.section = section;
    found.name = file->lookup(section, kNaz).value_or(QString());
    found.extra = file->lookup(section, kDop).value_or(QString());
    found.target = packagePath(drivePrefix_, *exe);
    found.exeGiven = !exe->isEmpty();
    return found;
}

std::vector<ModuleEntry> ModuleFiles::buttonsIn(const Snapshot &file) const
{
    std::vector<ModuleEntry> entries;
    for (int b = 1; b <= 9; ++b) {
        std::optional<ModuleEntry> found =
            entryIn(file, QStringLiteral("Menu") + QString::number(b));
        // A button needs a target; the buttons end at the first gap.
        if (!found || !found->exeGiven)
            break;
        entries.push_back(std::move(*found));
    }
    return entries;
}

std::vector<ModuleEntry> ModuleFiles::submenuIn(const Snapshot &file, int button) const
{
    std::vector<ModuleEntry> entries;
    if (button < 1 || button > 9)
        return entries;
    for (int i = 1; i <= 9; ++i) {
        std::optional<ModuleEntry> found =
            entryIn(file, QStringLiteral("Menu") + QString::number(button) + QString::number(i));
        if (!found)
            break; // an entry needs the Exe key, even an empty one
        entries.push_back(std::move(*found));
    }
    return entries;
}

} // namespace menu::core
