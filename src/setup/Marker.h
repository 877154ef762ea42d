// The marker of a running installation, MENU\setup.lock: one installer at a time on a drive
// that many computers share. It names the computer, the user, the time and the process, so that
// a second installer can say who is installing, and a marker left by a crash is known as such.
#pragma once

#include "setup/Layout.h"

#include <cstdint>
#include <optional>
#include <string>

namespace menu::setup {

struct Holder {
    std::string computer;
    std::string user;
    std::int64_t since = 0; // seconds since 1970
    unsigned process = 0;
};

// A marker older than this was left by an installer that did not end.
inline constexpr std::int64_t kStaleAfterSeconds = 15 * 60;

std::string markerText(const Holder &holder);
std::optional<Holder> holderFrom(const std::string &text);
// Left behind: older than the bound, from the future, unreadable, or of a process of this
// computer that no longer runs.
bool isStale(const std::optional<Holder> &holder, std::int64_t now);

class Marker {
  public:
    explicit Marker(Layout layout) : layout_(std::move(layout)) {}
    ~Marker() { release(); }
    Marker(const Marker &) = delete;
    Marker &operator=(const Marker &) = delete;

    // Takes the marker, removing a stale one; 0, or the error. When another installer holds it,
    // EEXIST (ERROR_FILE_EXISTS) and its holder.
    int take(std::optional<Holder> &other);
    void release();
    bool held() const { return held_; }

  private:
    Layout layout_;
    bool held_ = false;
};

// "používateľ X na počítači Y od 10.12.2026 11:40"
std::string describe(const Holder &holder);

} // namespace menu::setup
