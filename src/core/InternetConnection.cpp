#include "core/InternetConnection.h"

#include "core/Texts.h"

namespace menu::core {

ConnectionTest testConnection(const platform::InternetState &state)
{
    const Result<bool> connected = state.connected();
    if (!connected.ok())
        return {false, texts::internetTestFailed(), texts::reason(connected.failure())};
    return {*connected, {}, {}};
}

} // namespace menu::core
