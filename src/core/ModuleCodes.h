// The package's modules, in the order their buttons appear, and the keys of their entries.
#pragma once

#include <QString>
#include <array>

namespace menu::core {

inline constexpr std::array<const char *, 17> ModuleCodes = {
    "Srv", "Tav", "Pem", "Gus", "Hux", "Nar", "Vim", "Kab", "Lor",
    "Dak", "Rez", "Tob", "Zem", "Mip", "Wes", "Yul", "Pux"};

// The entry whose target is the Team Viewer program: the second button of module Srv.
inline QString teamViewerKey()
{
    return QStringLiteral("Srv2");
}

// An entry key names its module (characters 1 to 3), its button (character 4) and, for a
// submenu entry, its place in the submenu (character 5).
inline QString entryModule(const QString &key)
{
    return key.left(3);
}
// The section of a button's key takes one character after the module, a submenu key two.
inline QString entrySection(const QString &key, int digits)
{
    return QStringLiteral("Menu") + key.mid(3, digits);
}

} // namespace menu::core
