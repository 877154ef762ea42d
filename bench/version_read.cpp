// Reading the version of a large program against the same read on a small one: the reader
// fetches only its pieces, so the ratio stays near 1 however large the program is.
//
//   bench_version_read [PROGRAM]
//
// PROGRAM (by default the test fixture) is copied into a sparse file of 200 MB and one of
// 100 KB, each with its resources moved to the end, where a large program keeps them.
#include "formats/ByteSource.h"
#include "formats/LittleEndian.h"
#include "core/VersionInfo.h"
#include "formats/VersionBlock.h"
#include "platform/FileByteSource.h"
#include "platform/ProgramFiles.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 kLargeSize = 200 * 1024 * 1024;
constexpr qint64 kSmallSize = 100 * 1024;
constexpr int kBatches = 21;
constexpr int kReadsPerBatch = 50;

// Writes the program with its .rsrc section moved to the end of a sparse file of size bytes.
bool writeLarge(const QString &program, const QString &target, qint64 size)
{
    QFile in(program);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray pe = in.readAll();
    if (pe.size() < 0x40)
        return false;
    const qsizetype header = menu::formats::le::u32(pe, 0x3C);
    if (pe.size() < header + 24)
        return false;
    const qsizetype table = header + 24 + menu::formats::le::u16(pe, header + 20);
    for (qsizetype i = 0;
         i < menu::formats::le::u16(pe, header + 6) && table + 40 * (i + 1) <= pe.size(); ++i) {
        const qsizetype entry = table + 40 * i;
        if (!pe.mid(entry, 8).startsWith(".rsrc"))
            continue;
        const std::uint32_t rawSize = menu::formats::le::u32(pe, entry + 16);
        const QByteArray data = pe.mid(menu::formats::le::u32(pe, entry + 20), rawSize);
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
    const QString small = dir.filePath(QStringLiteral("small.exe"));
    if (!dir.isValid() || !writeLarge(program, large, kLargeSize) ||
        !writeLarge(program, small, kSmallSize)) {
        std::fprintf(stderr, "cannot make copies of %s\n", qPrintable(program));
        return 1;
    }

    const auto bytesPerRead = [](const QString &path) -> unsigned long long {
        const auto source = menu::platform::FileByteSource::open(path);
        if (!source)
            return 0;
        (void)menu::formats::findVersionBlock(*source);
        return source->bytesRead();
    };
    // Batches of each alternate, so that whatever else the machine does falls on both alike.
    const menu::platform::FileVersionReader reader;
    QString version;
    unsigned found = 0;
    const auto batchNs = [&](const QString &path) {
        QElapsedTimer timer;
        timer.start();
        for (int read = 0; read < kReadsPerBatch; ++read) {
            const menu::core::VersionText got = menu::core::readFileVersion(reader, path);
            if (got.result == menu::core::VersionResult::Found) {
                ++found;
                version = got.text;
            }
        }
        return static_cast<double>(timer.nsecsElapsed()) / kReadsPerBatch;
    };
    std::vector<double> largeNs, smallNs;
    for (int batch = 0; batch < kBatches; ++batch) {
        largeNs.push_back(batchNs(large));
        smallNs.push_back(batchNs(small));
    }
    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };

    std::printf("version \"%s\" found %u of %d times\n", qPrintable(version), found,
                2 * kBatches * kReadsPerBatch);
    std::printf("bytes read per version read: %llu of 200 MB, %llu of 100 KB\n",
                bytesPerRead(large), bytesPerRead(small));
    std::printf("version read: 200 MB %.1f us, 100 KB %.1f us, ratio %.2f\n",
                median(largeNs) / 1000.0, median(smallNs) / 1000.0,
                median(largeNs) / median(smallNs));
    return 0;
}
