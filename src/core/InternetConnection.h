// The internet test that the update check and the update commands run before they go to the
// vendor's server.
#pragma once

#include "platform/Internet.h"

#include <QString>

namespace menu::core {

// What the test found: connected, not connected, or a test that itself failed (text says so
// in Slovak and hint gives the system's reason).
struct ConnectionTest {
    bool connected = false;
    QString text;
    QString hint;
    bool failed() const { return !text.isEmpty(); }
};

ConnectionTest testConnection(const platform::InternetState &state);

} // namespace menu::core
