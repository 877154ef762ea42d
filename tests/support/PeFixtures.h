// Program files for the tests of the version and icon readers: the fixtures made at build
// time, and small edits of them.
#pragma once

#include "formats/LittleEndian.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

namespace menu::test {

inline QString peFixture(const char *name)
{
    return QStringLiteral(MENU_TEST_BINARY_DIR "/fixtures/pe/") + QString::fromLatin1(name);
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

using menu::formats::le::set32;

inline std::uint32_t get32(const QByteArray &bytes, qsizetype at)
{
    return menu::formats::le::u32(bytes, at);
}

inline std::uint16_t get16(const QByteArray &bytes, qsizetype at)
{
    return menu::formats::le::u16(bytes, at);
}

// Where the PE header and the section table entry called name lie (-1 when not there).
inline qsizetype peHeader(const QByteArray &pe)
{
    return get32(pe, 0x3C);
}

inline qsizetype sectionEntry(const QByteArray &pe, const char *name)
{
    const qsizetype header = peHeader(pe);
    const qsizetype table = header + 24 + get16(pe, header + 20);
    for (qsizetype i = 0; i < get16(pe, header + 6); ++i) {
        if (pe.mid(table + 40 * i, 8).startsWith(name))
            return table + 40 * i;
    }
    return -1;
}

} // namespace menu::test
