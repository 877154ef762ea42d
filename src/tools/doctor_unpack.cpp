// menu-doctor unpack: unpacks a package archive as the launcher does after a download.
#include "core/PackageExtract.h"
#include "tools/Doctor.h"

#include <QFileInfo>

namespace menu::doctor {

namespace {

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '));
}

int unpack(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("unpack"));
    const QString archive = QFileInfo(args.first()).absoluteFilePath();
    core::ZipReader reader;
    const core::DecompResult result = core::unpackPackage(archive, reader);

    out(QStringLiteral("directory: ") + result.unpackDir + QLatin1Char('\n'));
    for (const QString &file : result.written)
        out(QStringLiteral("written: ") + file + QLatin1Char('\n'));
    for (const QString &damage : result.corrupted)
        out(QStringLiteral("damaged: ") + damage + QLatin1Char('\n'));
    if (result.ok()) {
        out(QStringLiteral("installer: ") + core::installerPathOf(archive) + QLatin1Char('\n'));
        return 0;
    }
    err(oneLine(result.boxText) + QLatin1Char('\n'));
    err(result.note + QLatin1Char('\n'));
    return 1;
}

const Registration registration{{
    QStringLiteral("unpack"),
    QStringLiteral("unpack ARCHIVE"),
    unpack,
}};

} // namespace

} // namespace menu::doctor
