// The menu the launcher shows: one button per configured program of the package's modules,
// each with its submenu entries, read from the module files with the targets' versions. The
// window and menu-doctor build it with the same code, so they never disagree.
#pragma once

#include "core/ModuleFiles.h"
#include "core/VersionInfo.h"
#include "platform/Executables.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace menu::core {

// The package's modules, in the order their buttons appear.
inline constexpr std::array<const char *, 17> kModuleCodes = {
    "Srv", "Tav", "Pem", "Gus", "Hux", "Nar", "Vim", "Kab", "Lor",
    "Dak", "Rez", "Tob", "Zem", "Mip", "Wes", "Yul", "Pux"};

// Names one configured entry: the module, the button (1..9) and, for a submenu entry, its
// place in the submenu (1..9). Written "Tav1" for a button, "Tav12" for a submenu entry; a
// control carries this text and a click finds the entry again by it.
struct EntryKey {
    QString module;
    int button = 0;
    int entry = 0; // 0: the button itself

    static std::optional<EntryKey> parse(const QString &text);
    QString text() const;
    QString section() const; // "Menu1", "Menu12"
    bool isTeamViewer() const;
};

// What a submenu entry shows, by the kind of its target (the extension, without case).
enum class EntryPicture { ProgramIcon, Pdf, Chm, Url, Bat, None };
EntryPicture entryPictureFor(const QString &path);

struct MenuEntry {
    EntryKey key;
    QString name;   // Naz: the entry's caption
    QString target; // full local path
    bool exists = false;
    EntryPicture picture = EntryPicture::None;
};

struct MenuButton {
    EntryKey key;
    QString name;   // Naz: the first caption line
    QString second; // Dop: the second caption line
    QString target; // full local path
    bool exists = false;
    // The program's version: FileVersion, or for the Team Viewer entry its ProductVersion.
    VersionText version;
    std::vector<MenuEntry> entries;

    // The four caption lines (CR between): name, second line, version line, empty.
    QString caption() const;
    // A program that vanished between the two looks is shown, but cannot be started.
    bool startable() const { return exists && version.result != VersionResult::NoFile; }
};

class MenuModel {
  public:
    MenuModel(const platform::ProfileStore &profiles, const platform::VersionReader &versions,
              QString drivePrefix);

    // Every button of the seventeen modules in order, read anew from the files.
    std::vector<MenuButton> read() const;
    // The entry a click names, read anew: nothing when its section is gone.
    std::optional<ModuleEntry> entry(const EntryKey &key) const;

    QString drivePrefix() const { return modules_.drivePrefix(); }

  private:
    MenuButton button(const QString &module, int number, const ModuleEntry &entry,
                      const std::vector<ModuleEntry> &submenu) const;

    ModuleFiles modules_;
    const platform::VersionReader &versions_;
};

// The Team Viewer program as the menu found it (the button Srv2); nothing without one.
const MenuButton *teamViewerButton(const std::vector<MenuButton> &buttons);

} // namespace menu::core
