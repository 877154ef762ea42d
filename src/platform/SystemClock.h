#pragma once

#include "platform/Services.h"

namespace menu::platform {

class SystemClock final : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace menu::platform
