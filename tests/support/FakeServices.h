// Fakes for the services a test cannot control: message boxes, the clock, the screen, the
// shell that starts programs, the internet state, and a profile store that can fail.
#pragma once

#include "platform/Executables.h"
#include "platform/Internet.h"
#include "platform/ProfileFiles.h"
#include "platform/ProgramFiles.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "gui/MessageBoxes.h"

#include <QDir>
#include <deque>
#include <functional>
#include <vector>

namespace menu::test {

using core::BoxAnswer;
using core::BoxKind;

struct RecordedBox {
    BoxKind kind;
    QString title; // only for fault boxes
    QString text;
};

// Records every box and answers confirmations as scripted (No when nothing is scripted).
class RecordingBoxes final : public gui::MessageBoxes {
  public:
    BoxAnswer show(QWidget *, BoxKind kind, const QString &text) override
    {
        boxes.push_back({kind, QString(), text});
        if (onShow)
            onShow(boxes.back());
        if (kind != BoxKind::Confirmation)
            return BoxAnswer::Ok;
        if (answers.empty())
            return BoxAnswer::No;
        const BoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showFault(QWidget *, const QString &title, const QString &text) override
    {
        boxes.push_back({BoxKind::Error, title, text});
    }

    std::vector<RecordedBox> boxes;
    std::deque<BoxAnswer> answers;
    std::function<void(const RecordedBox &)> onShow; // called while the box stands
};

class FixedClock final : public platform::Clock {
  public:
    explicit FixedClock(QDateTime at) : at_(std::move(at)) {}
    QDateTime now() const override { return at_; }
    void set(QDateTime at) { at_ = std::move(at); }

  private:
    QDateTime at_;
};

class FixedScreen final : public platform::Screen {
  public:
    explicit FixedScreen(platform::ScreenLimits limits) : limits_(limits) {}
    platform::ScreenLimits limits() const override { return limits_; }

  private:
    platform::ScreenLimits limits_;
};

// Records what would have been started, and on whose behalf, and answers with a scripted
// result, or with that of the shell it passes the request on to.
class RecordingShell final : public platform::Shell {
  public:
    platform::ShellResult open(const QString &path, const QString &workingDir,
                               platform::OwnerWindow owner) override
    {
        opened.push_back({path, workingDir});
        owners.push_back(owner);
        if (passOn != nullptr)
            return passOn->open(path, workingDir, owner);
        return {result, reason};
    }
    // A program started with arguments is recorded as opened too, its arguments beside.
    platform::ShellResult start(const QString &program, const QStringList &arguments,
                                const QString &workingDir, platform::OwnerWindow owner) override
    {
        startArguments.push_back(arguments);
        opened.push_back({program, workingDir});
        owners.push_back(owner);
        if (passOn != nullptr)
            return passOn->start(program, arguments, workingDir, owner);
        return {result, reason};
    }
    std::vector<std::pair<QString, QString>> opened;
    std::vector<QStringList> startArguments;
    std::vector<platform::OwnerWindow> owners;
    platform::ShellCode result = platform::ShellCode::Started;
    std::optional<Failure> reason; // the system's reason behind a result that did not start
    platform::Shell *passOn = nullptr;
};

// The internet state as scripted: connected, not connected, or a test that itself fails.
class FakeInternet final : public platform::InternetState {
  public:
    Result<bool> connected() const override
    {
        ++asked;
        if (failure)
            return *failure;
        return isConnected;
    }
    bool isConnected = true;
    std::optional<Failure> failure; // the test itself fails
    mutable int asked = 0;
};

// The system's profile store, whose writes can be made to fail as on a read-only disk.
class FailingStore final : public platform::ProfileStore {
  public:
    std::optional<QString> read(const QString &file, const QString &section,
                                const QString &key) const override
    {
        return real.read(file, section, key);
    }
    std::shared_ptr<const formats::ProfileIndex> readAll(const QString &file) const override
    {
        return real.readAll(file);
    }
    Status write(const QString &file, const QString &section, const QString &key,
                 const QString &value) override
    {
        ++writes;
        if (failWrites)
            return Failure::of(std::errc::read_only_file_system, file);
        return real.write(file, section, key, value);
    }
    Status writeValues(const QString &file, const QList<Value> &values,
                       const platform::LockWait &wait) override
    {
        ++writes;
        if (failWrites)
            return Failure::of(std::errc::read_only_file_system, file);
        return real.writeValues(file, values, wait);
    }
    platform::ProfileFiles real;
    bool failWrites = false;
    int writes = 0;
};

// The readers of program files every test shares.
inline const platform::VersionReader &fileVersions()
{
    static const platform::FileVersionReader reader;
    return reader;
}
inline const platform::IconReader &fileIcons()
{
    static const platform::FileIconReader reader;
    return reader;
}

// The services of a launcher installed as <root>/ORVAN/MENU/menu (the directory is made), with
// the real readers of program files; internet, desktops and regional settings are left to the
// test.
inline platform::Services installedLauncher(const QString &root, platform::ProfileStore &store,
                                            platform::Clock &clock, platform::Screen &screen,
                                            platform::Shell &shell)
{
    QDir().mkpath(root + QStringLiteral("/ORVAN/MENU"));
    platform::Services services;
    services.executablePath = root + QStringLiteral("/ORVAN/MENU/menu");
    services.profiles = &store;
    services.clock = &clock;
    services.screen = &screen;
    services.versions = &fileVersions();
    services.icons = &fileIcons();
    services.shell = &shell;
    // Without a network unless the test says otherwise: no check reaches out.
    static FakeInternet offline;
    offline.isConnected = false;
    services.internet = &offline;
    return services;
}

} // namespace menu::test
