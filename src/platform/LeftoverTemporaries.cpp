#include "platform/LeftoverTemporaries.h"

namespace menu::platform {

bool isLeftoverTemporary(const QString &entry, const QString &name, Qt::CaseSensitivity names)
{
    const QString head = u'.' + name + u'.';
    const QLatin1String tail(".tmp");
    if (!entry.startsWith(head, names) || !entry.endsWith(tail, names))
        return false;
    const QStringView number =
        QStringView(entry).mid(head.size(), entry.size() - head.size() - tail.size());
    // 13 base-36 digits hold any 64-bit number.
    if (number.isEmpty() || number.size() > 13)
        return false;
    for (const QChar c : number) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z')))
            return false;
    }
    return true;
}

} // namespace menu::platform
