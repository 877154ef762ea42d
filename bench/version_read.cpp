// Reading the version of a large program against reading the first megabyte of it: the
// reader fetches only its pieces, so the ratio stays small however large the program is.
//
//   bench_version_read [PROGRAM]
//
// PROGRAM (by default the test fixture) is copied into a 200 MB sparse file with its
// resources moved to the end, where a large program keeps them.
#include "core/ByteSource.h"
#include "core/VersionInfo.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>

namespace {

constexpr qint64 kLargeSize = 200 * 1024 * 1024;
constexpr int kRounds = 200;

std::uint32_t get32(const QByteArray &bytes, qsizetype at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes.at(at + i));
    return value;
}

std::uint16_t get16(const QByteArray &bytes, qsizetype at)
{
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes.at(at)) |
                                      (static_cast<std::uint8_t>(bytes.at(at + 1)) << 8));
}

// Writes the program with its .rsrc section moved to the end of a sparse file of size bytes.
bool writeLarge(const QString &program, const QString &target, qint64 size)
{
    QFile in(program);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray pe = in.readAll();
    if (pe.size() < 0x40)
        return false;
    const qsizetype header = get32(pe, 0x3C);
    if (pe.size() < header + 24)
        return false;
    const qsizetype table = header + 24 + get16(pe, header + 20);
    for (qsizetype i = 0; i < get16(pe, header + 6) && table + 40 * (i + 1) <= pe.size(); ++i) {
        const qsizetype entry = table + 40 * i;
        if (!pe.mid(entry, 8).startsWith(".rsrc"))
            continue;
        const std::uint32_t rawSize = get32(pe, entry + 16);
        const QByteArray data = pe.mid(get32(pe, entry + 20), rawSize);
        const auto moved = static_cast<std::uint32_t>((size - rawSize) & ~qint64{511});
        for (int b = 0; b < 4; ++b)
            pe[entry + 20 + b] = static_cast<char>((moved >> (8 * b)) & 0xFF);
        QFile out(target);
        return out.open(QIODevice::WriteOnly) && out.write(pe) == pe.size() && out.resize(size) &&
               out.seek(moved) && out.write(data) == data.size();
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
#ifdef MENU_BENCH_PROGRAM
    QString program = QStringLiteral(MENU_BENCH_PROGRAM);
#else
    QString program;
#endif
    if (argc > 1)
        program = QString::fromLocal8Bit(argv[1]);
    if (program.isEmpty()) {
        std::fprintf(stderr, "usage: bench_version_read PROGRAM\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("large.exe"));
    if (!dir.isValid() || !writeLarge(program, large, kLargeSize)) {
        std::fprintf(stderr, "cannot make a large copy of %s\n", qPrintable(program));
        return 1;
    }

    std::uint64_t bytesPerRead = 0;
    if (const auto source = menu::core::FileByteSource::open(large)) {
        (void)menu::core::findVersionBlock(*source);
        bytesPerRead = source->bytesRead();
    }

    QElapsedTimer timer;
    QString version;
    unsigned found = 0;
    timer.start();
    for (int round = 0; round < kRounds; ++round)
        found += menu::core::ReadFileVersion(large, version) == menu::core::VersionResult::Found;
    const qint64 versionNs = timer.nsecsElapsed();

    qint64 reference = 0;
    timer.restart();
    for (int round = 0; round < kRounds; ++round) {
        QFile file(large);
        if (file.open(QIODevice::ReadOnly))
            reference += file.read(1024 * 1024).size();
    }
    const qint64 megabyteNs = timer.nsecsElapsed();

    std::printf("program of %lld MB, version \"%s\" found %u of %d times\n",
                static_cast<long long>(kLargeSize / (1024 * 1024)), qPrintable(version), found,
                kRounds);
    std::printf("bytes read per version read: %llu (reference reads %lld per round)\n",
                static_cast<unsigned long long>(bytesPerRead),
                static_cast<long long>(reference / kRounds));
    std::printf("version read %.1f us, reading 1 MB %.1f us, ratio %.3f\n",
                static_cast<double>(versionNs) / kRounds / 1000.0,
                static_cast<double>(megabyteNs) / kRounds / 1000.0,
                static_cast<double>(versionNs) / static_cast<double>(megabyteNs));
    return 0;
}
