// menu-doctor announce FILE...: the lines that announce each file in orvan_akt.ini (its name,
// length and SHA-256), ready to be put into [ORVAN] or [TEA] before the document is signed.
#include "core/Texts.h"
#include "core/Trust.h"
#include "tools/Doctor.h"

#include <QFileInfo>

namespace menu::doctor {

namespace {

int announce(const QStringList &args)
{
    if (args.isEmpty())
        return usage(QStringLiteral("announce"));
    int status = 0;
    bool first = true;
    for (const QString &path : args) {
        const Result<core::FileDigest> digest = core::digestOf(path);
        if (!digest.ok()) {
            err(core::texts::documentNotRead(digest.failure()) + QLatin1Char('\n'));
            status = 1;
            continue;
        }
        out(QStringLiteral("%1AktFil=%2\nAktLen=%3\nAktSha256=%4\n")
                .arg(first ? QString() : QStringLiteral("\n"), QFileInfo(path).fileName(),
                     QString::number(digest->length), digest->sha256));
        first = false;
    }
    return status;
}

const Registration registration{{QStringLiteral("announce"),
                                 QStringLiteral("announce FILE...   (AktFil, AktLen, AktSha256)"),
                                 announce}};

} // namespace

} // namespace menu::doctor
