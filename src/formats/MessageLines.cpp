#include "formats/MessageLines.h"

namespace menu::formats {

QString messageLines(const QString &text)
{
    QString lines;
    lines.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'\r') {
            lines += text.at(i);
            continue;
        }
        lines += u'\n';
        if (i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
    }
    return lines;
}

} // namespace menu::formats
