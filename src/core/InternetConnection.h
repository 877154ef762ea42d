// The internet test that the update check and the update commands run before they go to the
// vendor's server.
#pragma once

#include "platform/Internet.h"

#include <QString>

namespace menu::core {

// True when connected. When the test itself fails, text says so in Slovak and hint holds the
// system's message; otherwise both are empty.
bool fInternetConnection(const platform::InternetState &state, QString &text, QString &hint);

} // namespace menu::core
