#pragma once

#include "platform/Services.h"

#include <windows.h>

namespace menu::platform {

// The local time as Windows keeps it (the time zone and daylight saving of the Control Panel).
class LocalTimeClock final : public Clock {
  public:
    QDateTime now() const override
    {
        SYSTEMTIME local{};
        ::GetLocalTime(&local);
        return QDateTime(QDate(local.wYear, local.wMonth, local.wDay),
                         QTime(local.wHour, local.wMinute, local.wSecond, local.wMilliseconds));
    }
};

} // namespace menu::platform
