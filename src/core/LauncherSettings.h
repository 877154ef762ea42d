// The launcher's settings file menu.ini beside its executable, as typed values: the window's
// placement, the arrangement of the buttons, the update check's choice and time, and the last
// announcements. Every read answers from the file as it is; every write says whether it
// happened.
#pragma once

#include "platform/Services.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace menu::core {

enum class ButtonArrangement {
    Rows,    // "Hor": rows filled first
    Columns, // "Ver": columns filled first
};

// The update check's frequency is kept as its low eight bits (300 is held as 44): 0 checks at
// every start, anything else never; the settings dialog writes 0 or 2.
inline constexpr std::uint8_t kCheckAtStart = 0;
inline constexpr std::uint8_t kCheckNever = 2;

struct WindowPlacement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool maximized = false;
};

// What the vendor's server last announced for one program.
struct Announcement {
    QString version;              // AktCis
    QString date;                 // AktDat (the launcher only)
    QString file;                 // AktFil: the file's name in the server's package directory
    std::optional<qint64> length; // AktLen: the file's size in bytes, when announced
    QString sha256;               // AktSha256: its SHA-256 in hex (either case), when announced

    friend bool operator==(const Announcement &, const Announcement &) = default;
};

// An announcement from its values by key name (AktCis, AktDat, AktFil, AktLen, AktSha256);
// AktDat only withDate. A length that is no whole number of bytes is no length.
Announcement announcementFrom(const std::function<QString(const char *key)> &value, bool withDate);

// A whole number as the settings store it; missing or unparsable text gives fallback.
int parseWholeNumber(const QString &text, int fallback = 0);

// The stored placement, or the whole screen when a bound is missing or the window would not
// fit on the screen.
WindowPlacement placementFrom(const QString &left, const QString &width, const QString &top,
                              const QString &height, const QString &windowState,
                              const platform::ScreenLimits &screen);

ButtonArrangement arrangementFrom(const QString &buttonsView); // "Ver" (any case): columns
QString arrangementText(ButtonArrangement arrangement);
std::uint8_t checkFrequencyFrom(const QString &text);

class LauncherSettings {
  public:
    static inline const platform::LockWait kFullWait{platform::kSettingsLockWait, {}};

    LauncherSettings(platform::ProfileStore &store, const QString &programDir);

    QString path() const { return path_; }

    ButtonArrangement arrangement() const;
    WindowPlacement placement(const platform::ScreenLimits &screen) const;
    std::uint8_t checkFrequency() const;
    QString lastCheck() const; // "DD.MM.YYYY hh:nn", empty when never
    Announcement launcherAnnouncement() const;
    Announcement teamViewerAnnouncement() const;

    // Each save is one locked round of menu.ini: read once, merged, replaced once. It waits
    // for other writers as long as wait says (EBUSY after that).
    Status saveArrangement(ButtonArrangement arrangement,
                           const platform::LockWait &wait = kFullWait);
    // The window's outer bounds, the arrangement and the update check's values, as at close.
    Status saveAtClose(const QRect &outer, bool maximized, ButtonArrangement arrangement,
                       std::uint8_t checkFrequency, const QString &lastCheck,
                       const platform::LockWait &wait = kFullWait);
    Status saveCheckFrequency(std::uint8_t frequency, const platform::LockWait &wait = kFullWait);
    Status saveAnnouncements(const Announcement &launcher, const Announcement &teamViewer,
                             const platform::LockWait &wait = kFullWait);

    // One value by its names, as the file holds it (empty when missing).
    QString read(const QString &section, const QString &key) const;
    Status write(const QString &section, const QString &key, const QString &value);

    // While a batch lives, the reads of the thread that made it answer from one reading of
    // menu.ini, and that thread's own writes read it again: a window's start reads a score of
    // values, each a round trip to a slow drive otherwise. Other threads read the file as ever.
    class Batch {
      public:
        explicit Batch(const LauncherSettings &settings);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

      private:
        const LauncherSettings &settings_;
        bool outer_ = false; // this batch reads; an inner one leaves it to the outer
    };

  private:
    Status afterWrite(Status written) const;

    platform::ProfileStore &store_;
    QString path_;
    mutable std::mutex batchMutex_;
    mutable std::optional<std::thread::id> batchThread_;
    mutable std::shared_ptr<const formats::ProfileIndex> batch_; // null: no file
};

} // namespace menu::core
