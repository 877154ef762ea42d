// Reads a shell link back with liblnk's lnkinfo, an independent reader of the format.
#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace menu::test {

struct LnkInfo {
    bool ran = false;            // lnkinfo started and finished with status 0
    QString output;              // everything it printed
    QMap<QString, QString> info; // "Local path" -> value, ...
    QString value(const QString &label) const { return info.value(label); }
};

inline LnkInfo readLnk(const QString &path)
{
    LnkInfo result;
    QProcess process;
    process.start(QStringLiteral("lnkinfo"), {path});
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return result;
    result.ran = true;
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    for (const QString &line : result.output.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon < 0)
            continue;
        result.info.insert(line.left(colon).trimmed(), line.mid(colon + 2));
    }
    return result;
}

} // namespace menu::test
