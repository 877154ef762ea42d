#include "gui/CloseSave.h"

#include "core/Texts.h"

namespace menu::gui {

CloseSave::CloseSave(core::LauncherSettings &settings, core::SettingsSaver &saver,
                     MessageBoxes &boxes, QWidget &window)
    : settings_(settings), saver_(saver), boxes_(boxes), window_(window)
{
}

bool CloseSave::allowsClose(const Values &values)
{
    if (done_ || refused_ == values)
        return true;
    if (waiting_)
        return false;
    const std::optional<Status> now =
        saver_.save(round(values), [this, values](const Status &saved) {
            waiting_ = false;
            done_ = told(saved, values);
            if (done_)
                window_.close();
        });
    waiting_ = !now;
    return now && told(*now, values);
}

void CloseSave::saveEnding(const Values &values)
{
    // A seat holding menu.ini gets a moment, not the whole wait: the process must end.
    constexpr std::chrono::milliseconds kEndingWait{300};
    saver_.cancel();
    (void)round(values)(platform::LockWait{kEndingWait, {}});
}

core::SettingsSaver::Round CloseSave::round(const Values &values) const
{
    return [&settings = settings_, values](const platform::LockWait &wait) {
        return settings.saveAtClose(values.outer, values.maximized, values.arrangement,
                                    values.checkFrequency, values.lastCheck, wait);
    };
}

bool CloseSave::told(const Status &saved, const Values &values)
{
    if (saved.ok())
        return true;
    if (saved.failure().is(std::errc::device_or_resource_busy)) {
        boxes_.show(&window_, core::BoxKind::Warning,
                    core::texts::settingsNotWritten(saved.failure()));
        return true;
    }
    refused_ = values;
    boxes_.showFault(&window_, core::texts::appTitle(),
                     core::texts::faultMessage(core::texts::settingsNotWritten(saved.failure())));
    return false;
}

} // namespace menu::gui
