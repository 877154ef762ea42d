#include "platform/posix/Gio.h"

#include <QProcess>
#include <QStandardPaths>

namespace menu::platform {

namespace {
// gio answers in a few tenths of a second; a hung one must not keep the user waiting.
constexpr int kAnswerMs = 3000;
} // namespace

std::optional<QString> gioSays(const QStringList &args)
{
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return std::nullopt;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.remove(QStringLiteral("LANGUAGE"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(gio, args);
    if (!process.waitForFinished(kAnswerMs)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace menu::platform
