// Fakes for the services a test cannot control: message boxes, the clock, the screen, the
// shell that starts programs.
#pragma once

#include "platform/Executables.h"
#include "platform/Internet.h"
#include "platform/Shell.h"
#include "platform/Services.h"
#include "platform/ProfileFiles.h"

#include <QDir>
#include <deque>
#include <vector>

namespace menu::test {

struct RecordedBox {
    platform::BoxKind kind;
    QString title; // only for fault boxes
    QString text;
};

// Records every box and answers confirmations as scripted (No when nothing is scripted).
class RecordingBoxes final : public platform::MessageBoxes {
  public:
    platform::BoxAnswer show(QWidget *, platform::BoxKind kind, const QString &text) override
    {
        boxes.push_back({kind, QString(), text});
        if (kind != platform::BoxKind::Confirmation)
            return platform::BoxAnswer::Ok;
        if (answers.empty())
            return platform::BoxAnswer::No;
        const platform::BoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showFault(QWidget *, const QString &title, const QString &text) override
    {
        boxes.push_back({platform::BoxKind::Error, title, text});
    }

    std::vector<RecordedBox> boxes;
    std::deque<platform::BoxAnswer> answers;
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

// Records what would have been started and answers with a scripted result.
class RecordingShell final : public platform::Shell {
  public:
    int open(const QString &path, const QString &workingDir) override
    {
        opened.push_back({path, workingDir});
        return result;
    }
    std::vector<std::pair<QString, QString>> opened;
    int result = platform::kShellStarted;
};

// The internet state as scripted: connected, not connected, or a test that itself fails.
class FakeInternet final : public platform::InternetState {
  public:
    bool connected(QString &error) const override
    {
        ++asked;
        error = failure;
        return failure.isEmpty() && isConnected;
    }
    bool isConnected = true;
    QString failure; // the system's message when the test fails
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
    bool write(const QString &file, const QString &section, const QString &key,
               const QString &value) override
    {
        ++writes;
        return !failWrites && real.write(file, section, key, value);
    }
    platform::ProfileFiles real;
    bool failWrites = false;
    int writes = 0;
};

// The services of a launcher installed as <root>/ORVAN/MENU/menu (the directory is made), with
// the system's readers of program files; internet and regional settings are left to the test.
inline platform::Services installedLauncher(const QString &root, platform::ProfileStore &store,
                                            platform::Clock &clock, platform::Screen &screen,
                                            platform::MessageBoxes &boxes, platform::Shell &shell)
{
    QDir().mkpath(root + QStringLiteral("/ORVAN/MENU"));
    platform::Services services;
    services.executablePath = root + QStringLiteral("/ORVAN/MENU/menu");
    services.profiles = &store;
    services.clock = &clock;
    services.screen = &screen;
    services.boxes = &boxes;
    services.versions = &platform::systemVersionReader();
    services.icons = &platform::systemIconReader();
    services.shell = &shell;
    return services;
}

} // namespace menu::test
