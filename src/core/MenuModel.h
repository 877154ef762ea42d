// The menu the launcher shows: one button per configured program of the package's modules,
// each with its submenu entries, read from the module files with the targets' versions. The
// window and menu-doctor build it with the same code, so they never disagree.
#pragma once

#include "core/DetailCache.h"
#include "core/ModuleFiles.h"
#include "core/PackagePaths.h"
#include "core/VersionInfo.h"
#include "platform/Executables.h"

#include <QImage>
#include <QString>
#include <array>
#include <atomic>
#include <functional>
#include <future>
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

// The details of buttons and entries come from their target files and arrive after the
// captions: until then a button or entry is "not detailed" and shown neutral.
struct MenuEntry {
    EntryKey key;
    QString name;       // Naz: the entry's caption
    QString configured; // Exe as written in the module file
    QString target;     // full local path (once detailed)
    bool exists = false;
    EntryPicture picture = EntryPicture::None;
    QImage icon; // a program's own icon; null when it has none or it was not asked for
};

struct MenuButton {
    EntryKey key;
    QString name;           // Naz: the first caption line
    QString second;         // Dop: the second caption line
    QString configured;     // Exe as written in the module file
    QString target;         // full local path (once detailed)
    bool detailed = false;  // target, existence, version and icons are known
    bool fromCache = false; // ... as the last start found them, not yet checked
    bool exists = false;
    QImage icon; // the program's own icon; null when it has none or it was not asked for
    // The program's version: FileVersion, or for the Team Viewer entry its ProductVersion.
    VersionText version;
    std::vector<MenuEntry> entries;

    // The four caption lines (CR between): name, second line, version line, empty. Before the
    // details the version line is empty.
    QString caption() const;
    // A program that vanished between the two looks is shown, but cannot be started.
    bool startable() const { return exists && version.result != VersionResult::NoFile; }
};

// Where the details of a build come from and go to.
struct DetailSources {
    const platform::IconReader *icons = nullptr; // none: no icons are read
    const DetailCache *known = nullptr;          // what the last start learnt: reused where the
                                                 // target's size and time are unchanged
    DetailCache *learnt = nullptr;               // what this build learns
    FolderMatches *folders = nullptr;            // what detailAll's pass matched
};

class MenuModel {
  public:
    MenuModel(const platform::ProfileStore &profiles, const platform::VersionReader &versions,
              QString drivePrefix);

    // Every button of the seventeen modules in order, read anew from the files, detailed
    // (without icons).
    std::vector<MenuButton> read() const;
    // The buttons and their entries as the module files name them, without their details:
    // the module files are read side by side, each once.
    std::vector<MenuButton> readCaptions() const;
    // Begins the next readCaptions on a worker: a start reads the module files while it reads
    // its own version and settings, since on a slow drive each is a chain of round trips.
    void readCaptionsAhead();
    // Looks at the targets: the button's own (with its version, and its icon when icons are
    // given) or one entry's (entry from 1). Each is one unit of work for a pool.
    void detailButton(MenuButton &button, const DetailSources &sources = {}) const;
    void detailEntry(MenuEntry &entry, const DetailSources &sources = {}) const;
    // Details every button and entry with a pool of workers; the items not yet begun when
    // cancel is set are left as they are. done(i) runs on a worker once button i is detailed.
    void detailAll(std::vector<MenuButton> &buttons, const DetailSources &sources,
                   const std::atomic<bool> *cancel = nullptr,
                   const std::function<void(std::size_t)> &done = {}) const;
    // Details, without looking at any file, the buttons whose every target the cache knows;
    // they are marked as from the cache. Returns how many.
    std::size_t detailFromCache(std::vector<MenuButton> &buttons, const DetailCache &cache) const;
    // The entry a click names, read anew: nothing when its section is gone.
    std::optional<ModuleEntry> entry(const EntryKey &key) const;

    QString drivePrefix() const { return modules_.drivePrefix(); }

  private:
    std::vector<MenuButton> readModuleFiles() const;
    std::vector<MenuButton> moduleButtons(const QString &module) const;
    // The target of a configured path with what is known of it: from the cache when its size
    // and time are unchanged, else read (version only when asked for).
    DetailCache::Target target(const QString &configured, std::optional<bool> product, bool icon,
                               const DetailSources &sources) const;

    ModuleFiles modules_;
    const platform::VersionReader &versions_;
    mutable std::future<std::vector<MenuButton>> ahead_; // last: ends before what it reads
};

// The buttons of one module file, from its text read once: Menu1 ... Menu9, ending at the first
// section whose Exe is missing or empty; a button's entries Menu<b>1 ... Menu<b>9, ending at the
// first section without an Exe key (an empty Exe is an entry, told as undefined when started).
std::vector<MenuButton> configuredButtons(const formats::ProfileIndex &text, const QString &module);

// The Team Viewer program as the menu found it (the button Srv2); nothing without one.
const MenuButton *teamViewerButton(const std::vector<MenuButton> &buttons);

} // namespace menu::core
