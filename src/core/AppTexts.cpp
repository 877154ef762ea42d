#include "core/AppTexts.h"

namespace menu::core {

QString faultMessage(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

} // namespace menu::core
