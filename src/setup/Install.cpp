#include "setup/Install.h"

#include "setup/Messages.h"

#include <algorithm>
#include <cstdlib>

namespace menu::setup {

namespace {

struct Package {
    std::vector<std::string> folders; // relative, parents before their children
    std::vector<std::string> files;   // relative
};

int listPackage(const std::string &source, const std::string &relative, Package &package)
{
    std::vector<os::Entry> entries;
    if (const int error =
            os::listFolder(relative.empty() ? source : join(source, relative), entries))
        return error;
    for (const os::Entry &entry : entries) {
        const std::string path = relative.empty() ? entry.name : join(relative, entry.name);
        if (entry.kind == os::Kind::Other)
            continue; // links are no part of a launcher
        if (!isPlainName(entry.name))
            return os::kNotComplete;
        if (entry.kind == os::Kind::Folder) {
            package.folders.push_back(path);
            if (const int error = listPackage(source, path, package))
                return error;
        } else if (!(relative.empty() && os::sameName(entry.name, os::kInstallerName))) {
            package.files.push_back(path);
        }
    }
    return 0;
}

// The first free folder name for the version: "1.1.0.8", else "1.1.0.8-2", ...
std::string freeName(const Layout &layout, std::string version)
{
    if (!isPlainName(version))
        version = "verzia";
    std::string name = version;
    for (int n = 2; os::kindOf(layout.version(name)) != os::Kind::Missing; ++n)
        name = version + "-" + std::to_string(n);
    return name;
}

std::optional<InstallFailure> writeVersion(const std::string &source, const Package &package,
                                           const std::string &folder)
{
    if (const int error = os::makeFolder(folder))
        return InstallFailure{folder, error, false, {}};
    for (const std::string &sub : package.folders) {
        if (const int error = os::makeFolder(join(folder, sub)))
            return InstallFailure{sub, error, false, {}};
    }
    for (std::size_t i = 0; i < package.files.size(); ++i) {
        const std::string &file = package.files[i];
        if (const int error = os::copyFlushed(join(source, file), join(folder, file)))
            return InstallFailure{file, error, false, {}};
        if (i == 0)
            stopPoint(2);
    }
    return std::nullopt;
}

// The starter is the installer itself: replaced directly where nobody runs it, else the old
// one is first moved aside (a running program may be renamed) and removed later.
std::optional<InstallFailure> placeStarter(const std::string &source, const Layout &layout)
{
    const std::string installer = join(source, os::kInstallerName);
    if (os::kindOf(layout.starter()) == os::Kind::File && sameContents(installer, layout.starter()))
        return std::nullopt;
    const std::string suffix =
        std::to_string(os::processId()) + "-" + std::to_string(os::secondsNow());
    const std::string next = layout.starter() + ".new-" + suffix;
    if (const int error = os::copyFlushed(installer, next))
        return InstallFailure{os::kLauncherName, error, true, {}};
    if (os::replace(next, layout.starter()) == 0)
        return std::nullopt;
    const std::string aside = layout.starter() + ".old-" + suffix;
    int error = os::renameNew(layout.starter(), aside);
    stopPoint(5);
    if (error == 0 && (error = os::renameNew(next, layout.starter())) != 0)
        os::renameNew(aside, layout.starter());
    if (error == 0)
        return std::nullopt;
    InstallFailure failure{os::kLauncherName, error, true, {}};
    if (os::removeFile(next) != 0)
        failure.left.push_back(next);
    return failure;
}

} // namespace

void stopPoint(int step)
{
    if (os::environment("ORVAN_SETUP_STOP_AFTER") == std::to_string(step))
        std::_Exit(9);
}

void removeTree(const std::string &path, std::vector<std::string> &left)
{
    std::vector<os::Entry> entries;
    os::listFolder(path, entries);
    // The launcher first: while a program runs it, nothing of its folder goes.
    std::stable_partition(entries.begin(), entries.end(), [](const os::Entry &e) {
        return os::sameName(e.name, os::kLauncherName);
    });
    for (const os::Entry &entry : entries) {
        const std::string child = join(path, entry.name);
        if (entry.kind == os::Kind::Folder)
            removeTree(child, left);
        else if (os::removeFile(child) != 0)
            left.push_back(child);
    }
    if (os::removeFolder(path) != 0 && left.empty())
        left.push_back(path);
}

std::optional<InstallFailure> install(const std::string &source, const Layout &layout,
                                      os::Progress &progress, Installed &installed)
{
    Package package;
    if (const int error = listPackage(source, {}, package))
        return InstallFailure{source, error, false, {}};
    if (std::find(package.files.begin(), package.files.end(), os::kLauncherName) ==
        package.files.end())
        return InstallFailure{os::kLauncherName, os::kNotComplete, false, {}};
    const int madeVersions = os::makeFolder(layout.versions());
    if (madeVersions != 0 && os::kindOf(layout.versions()) != os::Kind::Folder)
        return InstallFailure{layout.versions(), madeVersions, false, {}};

    const std::string version = fileVersionOf(join(source, os::kLauncherName));
    // Installed already, and complete as every current version is: only the starter is left.
    if (!version.empty() && currentVersion(layout) == version) {
        installed.name = version;
        return placeStarter(source, layout);
    }
    installed.name = freeName(layout, version);
    progress.show(copyingText(installed.name));
    const std::string part =
        layout.version(installed.name) + ".part-" + std::to_string(os::processId());
    std::optional<InstallFailure> failure = writeVersion(source, package, part);
    if (!failure) {
        if (const int error = os::renameNew(part, layout.version(installed.name)))
            failure = InstallFailure{layout.version(installed.name), error, false, {}};
    }
    if (failure) {
        removeTree(part, failure->left);
        return failure;
    }
    stopPoint(3);
    progress.show(switchingText(installed.name));
    if (const int error = switchTo(layout, installed.name)) {
        InstallFailure failed{"versions", error, false, {}};
        removeTree(layout.version(installed.name), failed.left);
        return failed;
    }
    stopPoint(4);
    return placeStarter(source, layout);
}

} // namespace menu::setup
