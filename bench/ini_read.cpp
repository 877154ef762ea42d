// Reading one key near the end of a 2000-line profile file, against a plain read of the same
// file: the price of the engine's decoding and line scanning on top of the I/O.
#include "platform/ProfileFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

namespace {

template <typename Work> double secondsPerCall(int calls, Work &&work)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        work();
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    return spent.count() / calls;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("menu.ini"));
    QByteArray text;
    for (int section = 0; section < 200; ++section) {
        text += "[Menu" + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 9; ++key)
            text += "Key" + QByteArray::number(key) + " = \"value " + QByteArray::number(key) +
                    " \x9A\xE8\"\r\n";
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return 1;
    file.close();

    // A store that never trusts what it read: every read reads and scans the file, as a
    // first read after a start does.
    const menu::platform::ProfileFiles store{std::chrono::hours(24 * 365 * 100)};
    const int calls = 2000;
    qsizetype sink = 0;
    const double plain = secondsPerCall(calls, [&] {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            sink += f.readAll().size();
    });
    const double engine = secondsPerCall(calls, [&] {
        sink += store.read(path, QStringLiteral("menu199"), QStringLiteral("key8"))
                    .value_or(QString())
                    .size();
    });
    std::printf("ini_read: %d lines, %lld bytes\n", 2000, static_cast<long long>(text.size()));
    std::printf("  plain read  %8.1f us\n", plain * 1e6);
    std::printf("  store read  %8.1f us\n", engine * 1e6);
    std::printf("  ratio       %8.2f (checksum %lld)\n", engine / plain,
                static_cast<long long>(sink));
    return 0;
}
