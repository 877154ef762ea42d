#include "core/MenuSettings.h"

#include "core/PackagePaths.h"

#include <utility>

namespace menu::core {

namespace {
const QString kExe = QStringLiteral("Exe");
const QString kNaz = QStringLiteral("Naz");
const QString kDop = QStringLiteral("Dop");
} // namespace

MenuIni::MenuIni(platform::ProfileStore &store, QString programDir)
    : store_(store), path_(std::move(programDir) + QStringLiteral("menu.ini"))
{
}

QString MenuIni::MenuIniRead(const QString &section, const QString &key) const
{
    return store_.read(path_, section, key).value_or(QString());
}

Status MenuIni::MenuIniWrite(const QString &section, const QString &key, const QString &value)
{
    return store_.write(path_, section, key, value);
}

ModuleFiles::ModuleFiles(const platform::ProfileStore &store, QString drivePrefix)
    : store_(store), drivePrefix_(std::move(drivePrefix))
{
}

QString ModuleFiles::filePath(const QString &code) const
{
    return moduleFilePath(drivePrefix_, code);
}

bool ModuleFiles::ModuleEntryRead(const QString &code, const QString &section, QString &name,
                                  QString &extra, QString &target) const
{
    const QString file = filePath(code);
    const std::optional<QString> exe = store_.read(file, section, kExe);
    if (!exe)
        return false; // missing file, section or Exe key
    name = store_.read(file, section, kNaz).value_or(QString());
    extra = store_.read(file, section, kDop).value_or(QString());
    target = packagePath(drivePrefix_, *exe);
    return true;
}

std::vector<ModuleEntry> ModuleFiles::buttons(const QString &code) const
{
    std::vector<ModuleEntry> entries;
    const QString file = filePath(code);
    for (int b = 1; b <= 9; ++b) {
        const QString section = QStringLiteral("Menu") + QString::number(b);
        const QString exe = store_.read(file, section, kExe).value_or(QString());
        if (exe.isEmpty())
            break; // a button needs a target; the buttons end at the first gap
        ModuleEntry entry;
        entry.section = section;
        entry.name = store_.read(file, section, kNaz).value_or(QString());
        entry.extra = store_.read(file, section, kDop).value_or(QString());
        entry.target = packagePath(drivePrefix_, exe);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<ModuleEntry> ModuleFiles::submenuEntries(const QString &code, int button) const
{
    std::vector<ModuleEntry> entries;
    if (button < 1 || button > 9)
        return entries;
    for (int i = 1; i <= 9; ++i) {
        ModuleEntry entry;
        entry.section = QStringLiteral("Menu") + QString::number(button) + QString::number(i);
        if (!ModuleEntryRead(code, entry.section, entry.name, entry.extra, entry.target))
            break; // an entry needs the Exe key, even an empty one
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace menu::core
