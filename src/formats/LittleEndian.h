// Little-endian fields of binary file formats, read from a piece whose size the caller checked,
// and written.
#pragma once

#include <QByteArray>
#include <cstdint>

namespace menu::formats::le {

inline std::uint8_t u8(const QByteArray &bytes, qsizetype at)
{
    return static_cast<std::uint8_t>(bytes.at(at));
}

inline std::uint16_t u16(const QByteArray &bytes, qsizetype at)
{
    return static_cast<std::uint16_t>(u8(bytes, at) | (u8(bytes, at + 1) << 8));
}

inline std::uint32_t u32(const QByteArray &bytes, qsizetype at)
{
    return static_cast<std::uint32_t>(u16(bytes, at)) |
           (static_cast<std::uint32_t>(u16(bytes, at + 2)) << 16);
}

inline std::uint64_t u64(const QByteArray &bytes, qsizetype at)
{
    return static_cast<std::uint64_t>(u32(bytes, at)) |
           (static_cast<std::uint64_t>(u32(bytes, at + 4)) << 32);
}

inline void put16(QByteArray &bytes, std::uint16_t value)
{
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>(value >> 8));
}

inline void put32(QByteArray &bytes, std::uint32_t value)
{
    put16(bytes, static_cast<std::uint16_t>(value & 0xFFFF));
    put16(bytes, static_cast<std::uint16_t>(value >> 16));
}

// Overwrites the four bytes at at, which the caller checked are there.
inline void set32(QByteArray &bytes, qsizetype at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace menu::formats::le
