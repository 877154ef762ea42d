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
    const QString file = filePath(code);
    const std::optional<QString> exe = store_.read(file, section, kExe);
    if (!exe)
        return std::nullopt; // missing file, section or Exe key
    ModuleEntry found;
    found.section = section;
    found.name = store_.read(file, section, kNaz).value_or(QString());
    found.extra = store_.read(file, section, kDop).value_or(QString());
    found.target = packagePath(drivePrefix_, *exe);
    return found;
}

std::vector<ModuleEntry> ModuleFiles::buttons(const QString &code) const
{
    std::vector<ModuleEntry> entries;
    const QString file = filePath(code);
    for (int b = 1; b <= 9; ++b) {
        const QString section = QStringLiteral("Menu") + QString::number(b);
        // A button needs a target; the buttons end at the first gap.
        if (store_.read(file, section, kExe).value_or(QString()).isEmpty())
            break;
        entries.push_back(*entry(code, section));
    }
    return entries;
}

std::vector<ModuleEntry> ModuleFiles::submenuEntries(const QString &code, int button) const
{
    std::vector<ModuleEntry> entries;
    if (button < 1 || button > 9)
        return entries;
    for (int i = 1; i <= 9; ++i) {
        std::optional<ModuleEntry> found =
            entry(code, QStringLiteral("Menu") + QString::number(button) + QString::number(i));
        if (!found)
            break; // an entry needs the Exe key, even an empty one
        entries.push_back(std::move(*found));
    }
    return entries;
}

} // namespace menu::core
