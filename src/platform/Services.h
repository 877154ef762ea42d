// The seam between the launcher and the operating system. Every service the launcher needs
// from the system is a small interface here (and in the headers beside it); the real
// implementation of one system is chosen once, in main, and handed to the code that uses it.
// Tests hand in fakes where the real thing cannot be controlled.
#pragma once

#include "formats/ProfileText.h"
#include "formats/Result.h"
#include "platform/FileLock.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace menu::platform {

// Profile strings: the INI files of the launcher and of the package's modules.
class ProfileStore {
  public:
    virtual ~ProfileStore() = default;
    // The value of key in section, or nothing when the file, the section or the key is missing.
    virtual std::optional<QString> read(const QString &file, const QString &section,
                                        const QString &key) const = 0;
    // Every value of the file as one read found them, for a reader that needs several values
    // of one state of the file; nothing when the file is missing or cannot be read.
    virtual std::shared_ptr<const formats::ProfileIndex> readAll(const QString &file) const = 0;
    // Creates the file, the section and the key as needed. A failure leaves the file as it was.
    // Waits for other writers at most kSettingsLockWait.
    virtual Status write(const QString &file, const QString &section, const QString &key,
                         const QString &value) = 0;

    struct Value {
        QString section;
        QString key;
        QString value;
    };
    // All values in one round under the file's lock: one read, every value merged in order,
    // one replacement. A failure (EBUSY: another writer kept the lock past the wait) leaves
    // the file as it was.
    virtual Status writeValues(const QString &file, const QList<Value> &values,
                               const LockWait &wait) = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0; // local time
};

// The largest outer size a window may take on the desktop it starts on.
struct ScreenLimits {
    int maxWidth = 0;  // the full-screen client width
    int maxHeight = 0; // the full-screen client height plus one caption
};

class Screen {
  public:
    virtual ~Screen() = default;
    virtual ScreenLimits limits() const = 0;
};

// One running launcher per user and desktop.
class SingleInstance {
  public:
    enum class Claim {
        Claimed,    // this process is the one
        Held,       // another launcher of this user holds the claim
        Unavailable // the claim could not be made (claimFailure says why): the launcher ends
    };

    virtual ~SingleInstance() = default;
    // Asks the launcher that holds the claim to bring its window forward, giving it a few
    // seconds to start answering; true when it did.
    virtual bool raiseRunning() = 0;
    // Claims the instance for this process.
    virtual Claim claim() = 0;
    // Why the last claim was Unavailable.
    virtual Failure claimFailure() const = 0;
    // Starts answering later starts: onRaise runs on the user-interface thread each time.
    virtual void listen(std::function<void()> onRaise) = 0;
};

class VersionReader;    // Executables.h
class IconReader;       // Executables.h
class Shell;            // Shell.h
class DesktopFolders;   // Desktop.h
class InternetState;    // Internet.h
class RegionalSettings; // Regional.h

// The services the launcher is given. Pointers are not owned; they outlive their users.
struct Services {
    QString executablePath; // full path of the running launcher
    QString cacheDir;       // the user's own cache directory; empty: nothing is kept there
    QString updateAddress;  // the update server's host and path, without a trailing "/"
    ProfileStore *profiles = nullptr;
    Clock *clock = nullptr;
    Screen *screen = nullptr;
    const VersionReader *versions = nullptr;
    const IconReader *icons = nullptr;
    Shell *shell = nullptr;
    const DesktopFolders *desktops = nullptr;
    const InternetState *internet = nullptr;
    const RegionalSettings *regional = nullptr;
    // How long a write of menu.ini waits for another seat or user, off the window's thread.
    std::chrono::milliseconds settingsLockWait = kSettingsLockWait;
    // Started again by its installer after a failed installation (told in the environment,
    // which main reads and clears before any thread starts).
    bool installFailed = false;
};

} // namespace menu::platform
