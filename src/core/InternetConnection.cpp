#include "core/InternetConnection.h"

namespace menu::core {

bool fInternetConnection(const platform::InternetState &state, QString &text, QString &hint)
{
    text.clear();
    hint.clear();
    QString error;
    const bool connected = state.connected(error);
    if (!error.isEmpty()) {
        text = QStringLiteral("POZOR ! Chyba pri zisťovaní pripojenia na internet !");
        hint = error;
        return false;
    }
    return connected;
}

} // namespace menu::core
