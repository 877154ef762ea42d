#include "setup/Paths.h"

namespace menu::setup {

namespace {

// Compared without case on both systems, as the launcher's own check does.
bool endsWithFolders(const std::string &directory)
{
    const std::string folders = std::string(1, os::kSeparator) + "ORVAN" + os::kSeparator + "MENU";
    if (directory.size() <= folders.size())
        return false; // something must stand before the two folders
    const std::string end = directory.substr(directory.size() - folders.size());
    for (std::size_t i = 0; i < end.size(); ++i) {
        const char a = end[i] >= 'a' && end[i] <= 'z' ? static_cast<char>(end[i] - 32) : end[i];
        if (a != folders[i])
            return false;
    }
    return true;
}

} // namespace

std::string directoryOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of(os::kSeparator);
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::optional<Layout> findTarget(const std::optional<std::string> &named)
{
    const std::string full = os::fullPath(named ? *named : os::environment("ORVAN_MENU"));
    const std::size_t slash = full.find_last_of(os::kSeparator);
    if (full.empty() || slash == std::string::npos)
        return std::nullopt;
    const std::string directory = full.substr(0, slash);
    if (!os::sameName(full.substr(slash + 1), os::kLauncherName) || !endsWithFolders(directory) ||
        os::kindOf(directory) != os::Kind::Folder)
        return std::nullopt;
    return Layout{directory};
}

} // namespace menu::setup
