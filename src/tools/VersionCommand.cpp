// menu-doctor version FILE: the version texts the launcher would read from a program.
#include "core/VersionInfo.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {

QString line(const QString &name, core::VersionResult result, const QString &text)
{
    return QStringLiteral("%1: %2 %3\n").arg(name).arg(static_cast<unsigned>(result)).arg(text);
}

int run(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("version"));
    const QString &path = args.front();
    QString fileVersion;
    const auto fileResult = core::ReadFileVersion(path, fileVersion);
    QString productVersion;
    const auto productResult = core::ReadProductVersion(path, productVersion);
    QString exeVersion;
    QString fileDatum;
    const auto exeResult = core::ReadExeVersion(path, exeVersion, fileDatum);
    out(line(QStringLiteral("FileVersion"), fileResult, fileVersion));
    out(line(QStringLiteral("ProductVersion"), productResult, productVersion));
    out(line(QStringLiteral("FileDatum"), exeResult, fileDatum));
    return 0;
}

const Registration registration{
    {QStringLiteral("version"),
     QStringLiteral("version FILE    the FileVersion (041B04E2), ProductVersion (040904B0) and "
                    "FileDatum of a program, each with its result code 0-3"),
     run}};

} // namespace

} // namespace menu::doctor
