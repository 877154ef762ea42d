#pragma once

#include "platform/Services.h"

namespace menu::platform {

// The available area of the primary screen: the desktop less panels and docks.
class DesktopScreen final : public Screen {
  public:
    ScreenLimits limits() const override;
};

} // namespace menu::platform
