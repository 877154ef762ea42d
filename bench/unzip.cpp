// Unpacking a package of 100 MB in 2,000 files as the launcher does after a download, against
// the zip tools' own unzip of the same archive into a fresh directory in the same run.
#include "core/PackageExtract.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr int kFiles = 2000;
constexpr qint64 kTotalBytes = 100LL * 1024 * 1024;

double seconds(const std::function<bool()> &work, bool &ok)
{
    const auto start = std::chrono::steady_clock::now();
    ok = work() && ok;
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count();
}

// Half a real package is already packed (cabinets, pictures), the rest is program code and
// text that deflates well; sizes vary around the mean.
QByteArray fileContent(std::mt19937 &random, qint64 size, int index)
{
    QByteArray bytes;
    bytes.reserve(size);
    if (index % 2 == 0) {
        while (bytes.size() < size) {
            const quint32 word = random();
            bytes.append(reinterpret_cast<const char *>(&word), sizeof word);
        }
    } else {
        static const char *const words[] = {"ORVAN ",  "menu ",   "setup ", "súbor ",  "modul ",
                                            "verzia ", "0x4D5A ", "\r\n",   "ponuka ", "tlač "};
        while (bytes.size() < size)
            bytes.append(words[random() % std::size(words)]);
    }
    bytes.truncate(size);
    return bytes;
}

bool makePackage(const QString &source, std::mt19937 &random)
{
    const qint64 mean = kTotalBytes / kFiles;
    for (int i = 0; i < kFiles; ++i) {
        const QString folder =
            i == 0 ? QString() : QStringLiteral("modul%1/%2/").arg(i % 17).arg(i % 5);
        const QString name =
            i == 0 ? QStringLiteral("setup.exe") : folder + QStringLiteral("subor%1.dat").arg(i);
        const qint64 size = mean / 2 + static_cast<qint64>(random() % static_cast<quint32>(mean));
        QDir(source).mkpath(QFileInfo(source + QLatin1Char('/') + name).path());
        QFile file(source + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(fileContent(random, size, i)) != size)
            return false;
    }
    return true;
}

bool run(const QString &program, const QStringList &args, const QString &workingDir = {})
{
    QProcess process;
    process.setWorkingDirectory(workingDir);
    process.start(program, args);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir temp;
    const QString source = temp.filePath(QStringLiteral("source"));
    const QString archive = temp.filePath(QStringLiteral("orvan_update.zip"));
    std::mt19937 random(852);
    if (!makePackage(source, random) ||
        !run(QStringLiteral("zip"),
             {QStringLiteral("-q"), QStringLiteral("-r"), archive, QStringLiteral(".")}, source)) {
        std::fprintf(stderr, "unzip: the package could not be made\n");
        return 1;
    }

    const QString installDir = menu::core::unpackDirOf(archive);
    const int rounds = 5;
    bool ok = true;
    std::vector<double> reference, launcher, unflushed;
    for (int round = 0; round < rounds; ++round) {
        const QString fresh = temp.filePath(QStringLiteral("unzip%1").arg(round));
        reference.push_back(seconds(
            [&] {
                return run(QStringLiteral("unzip"), {QStringLiteral("-o"), QStringLiteral("-q"),
                                                     archive, QStringLiteral("-d"), fresh});
            },
            ok));
        QDir(fresh).removeRecursively();

        for (const bool flush : {true, false}) {
            menu::core::ExtractOptions options;
            options.flush = flush;
            (flush ? launcher : unflushed)
                .push_back(seconds(
                    [&] {
                        menu::core::ZipReader reader;
                        return menu::core::unpackPackage(archive, reader, options).ok();
                    },
                    ok));
            QDir(installDir).removeRecursively();
        }
    }
    if (!ok) {
        std::fprintf(stderr, "unzip: an unpacking failed\n");
        return 1;
    }

    std::printf("unzip: %d files, %lld MB, archive %lld MB, median of %d rounds\n", kFiles,
                kTotalBytes >> 20, QFileInfo(archive).size() >> 20, rounds);
    std::printf("  unzip -o -q          %8.3f s\n", median(reference));
    std::printf("  unpackPackage        %8.3f s (files flushed to the disk)\n", median(launcher));
    std::printf("  without flushing     %8.3f s\n", median(unflushed));
    std::printf("  ratio                %8.2f\n", median(launcher) / median(reference));
    return 0;
}
