#include "setup/Cleanup.h"

#include "setup/Install.h"

#include <vector>

namespace menu::setup {

namespace {

// In the starter's bytes, and in no launcher's.
const char kStarterMark[] = "ORVAN starter: versions/current";

bool startsWith(const std::string &text, const std::string &start)
{
    return text.compare(0, start.size(), start) == 0;
}

bool removable(const std::string &path, os::Kind kind)
{
    if (os::openHere(path))
        return false;
    std::vector<std::string> left;
    if (kind == os::Kind::Folder)
        removeTree(path, left);
    else if (kind == os::Kind::File)
        return os::removeFile(path) == 0;
    return left.empty();
}

void cleanVersions(const Layout &layout, const std::optional<std::string> &current)
{
    std::vector<os::Entry> entries;
    os::listFolder(layout.versions(), entries);
    for (const os::Entry &entry : entries) {
        const std::string path = layout.version(entry.name);
        if (entry.kind == os::Kind::Folder && !(current && entry.name == *current))
            removable(path, entry.kind);
        else if (entry.kind == os::Kind::File && startsWith(entry.name, "current.new-"))
            os::removeFile(path);
    }
}

// The flat layout's files: what the current version holds, also found directly in MENU.
void cleanFlat(const Layout &layout, const std::string &current)
{
    if (!isStarter(layout.starter()))
        return; // the flat launcher still starts from there, with its files
    std::vector<os::Entry> entries;
    os::listFolder(layout.version(current), entries);
    for (const os::Entry &entry : entries) {
        const std::string flat = join(layout.menu, entry.name);
        if (os::sameName(entry.name, os::kLauncherName) || os::sameName(entry.name, "menu.ini") ||
            os::sameName(entry.name, "versions") || os::sameName(entry.name, "setup.lock"))
            continue;
        const os::Kind kind = os::kindOf(flat);
        if (kind == os::Kind::File || kind == os::Kind::Folder)
            removable(flat, kind);
    }
}

} // namespace

bool isStarter(const std::string &path)
{
    const std::optional<std::string> bytes = os::readSmall(path, 64u << 20);
    return bytes && bytes->find(kStarterMark) != std::string::npos;
}

void cleanUp(const Layout &layout)
{
    const std::optional<std::string> current = currentVersion(layout);
    cleanVersions(layout, current);
    std::vector<os::Entry> entries;
    os::listFolder(layout.menu, entries);
    const std::string launcher = os::kLauncherName;
    for (const os::Entry &entry : entries) {
        if (entry.kind == os::Kind::File && (startsWith(entry.name, launcher + ".old-") ||
                                             startsWith(entry.name, launcher + ".new-") ||
                                             startsWith(entry.name, "setup.lock.stale-")))
            os::removeFile(join(layout.menu, entry.name));
    }
    if (current)
        cleanFlat(layout, *current);
}

} // namespace menu::setup
