// The services a benchmark's window gets where the real ones would do more than the build:
// a fixed clock and screen, boxes that are only counted, a shell that starts nothing, and no
// internet, so that no update check goes out while it runs.
#pragma once

#include "platform/Internet.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "gui/MessageBoxes.h"

#include <QDateTime>
#include <QStringList>

namespace bench {

class FixedClock final : public menu::platform::Clock {
  public:
    QDateTime now() const override { return QDateTime(QDate(2024, 3, 15), QTime(9, 30)); }
};

class LargeScreen final : public menu::platform::Screen {
  public:
    menu::platform::ScreenLimits limits() const override { return {1920, 1080}; }
};

// A build shows no box; one that does has gone wrong, and the run says so.
class CountingBoxes final : public menu::gui::MessageBoxes {
  public:
    menu::core::BoxAnswer show(QWidget *, menu::core::BoxKind, const QString &) override
    {
        ++shown;
        return menu::core::BoxAnswer::Ok;
    }
    void showFault(QWidget *, const QString &, const QString &) override { ++shown; }
    int shown = 0;
};

class NoShell final : public menu::platform::Shell {
  public:
    menu::platform::ShellResult open(const QString &, const QString &,
                                     menu::platform::OwnerWindow) override
    {
        return {};
    }
    menu::platform::ShellResult start(const QString &, const QStringList &, const QString &,
                                      menu::platform::OwnerWindow) override
    {
        return {};
    }
};

class Offline final : public menu::platform::InternetState {
  public:
    menu::Result<bool> connected() const override { return false; }
};

} // namespace bench
