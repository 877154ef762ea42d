// menu-doctor extract: unpacks a package archive as the launcher does after a download, into
// ORVAN-INSTAL beside it, and says whether the installer check passed.
#include "core/PackageExtract.h"
#include "tools/Doctor.h"

#include <QFileInfo>

namespace menu::doctor {

namespace {

int extract(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("extract"));
    const QString archive = QFileInfo(args.first()).absoluteFilePath();
    core::ZipReader reader;
    const core::DecompResult result = core::unpackPackage(archive, reader);

    if (result.ok()) {
        out(QStringLiteral("result: true\n"));
    } else {
        // The box's text on one line; its line break stays visible as \r.
        QString text = result.boxText;
        text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
        out(QStringLiteral("result: false\nerror: ") + text + QLatin1Char('\n'));
    }
    return 0; // the outcome is in the output, not in the status
}

const Registration registration{{
    QStringLiteral("extract"),
    QStringLiteral("extract ARCHIVE"),
    extract,
}};

} // namespace

} // namespace menu::doctor
