// Saving the window's settings when it closes. The close is one round of menu.ini. When another
// seat or user holds the file, the round waits on a worker while the window goes on answering,
// and the window closes once the round is done or the wait has run out; settings in use
// elsewhere are told in a box and never keep the window open. Any other failure keeps it open,
// so that a later close can try again; a later close with nothing changed closes all the same.
#pragma once

#include "core/LauncherSettings.h"
#include "core/SettingsSaver.h"
#include "gui/MessageBoxes.h"

#include <QRect>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace menu::gui {

class CloseSave {
  public:
    struct Values {
        QRect outer;
        bool maximized = false;
        core::ButtonArrangement arrangement = core::ButtonArrangement::Rows;
        std::uint8_t checkFrequency = 0;
        QString lastCheck;
        bool operator==(const Values &) const = default;
    };

    CloseSave(core::LauncherSettings &settings, core::SettingsSaver &saver, MessageBoxes &boxes,
              QWidget &window);

    // Whether a close may go on now: true when saved, false when the save failed (the user has
    // been told). While the round waits the close is refused, and the window is closed again
    // when the round ends.
    bool allowsClose(const Values &values);
    // The session ends: saves if that can be done within a moment, without a word.
    void saveEnding(const Values &values);

  private:
    core::SettingsSaver::Round round(const Values &values) const;
    bool told(const Status &saved, const Values &values);

    core::LauncherSettings &settings_;
    core::SettingsSaver &saver_;
    MessageBoxes &boxes_;
    QWidget &window_;
    std::optional<Values> refused_; // what the last failed save tried to write
    bool waiting_ = false;          // a close waits for another writer
    bool done_ = false;             // saved: the next close closes
};

} // namespace menu::gui
