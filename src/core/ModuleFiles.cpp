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

} // namespace menu::core
