// menu-doctor download URL FILE: fetches a file as the update dialog does and shows each
// progress notification, or the two error texts.
#include "core/Download.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {

// The hint separates its lines with a bare carriage return; a terminal would overwrite them.
QString lines(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

int download(const QStringList &args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("download"));
    core::DownloadOptions options;
    options.progress = [](const core::DownloadProgress &progress) {
        out(QStringLiteral("received: %1 / %2\n").arg(progress.received).arg(progress.total));
    };
    const core::DownloadResult result = core::download(args.at(0), args.at(1), options);
    if (result.ok) {
        out(QStringLiteral("OK: ") + args.at(1) + QLatin1Char('\n'));
        return 0;
    }
    err(lines(result.text) + QLatin1Char('\n'));
    if (!result.hint.isEmpty())
        err(lines(result.hint) + QLatin1Char('\n'));
    return 1;
}

const Registration registration{{QStringLiteral("download"),
                                 QStringLiteral("download URL FILE   (URL: host/path, "
                                                "http://host/path or https://host/path)"),
                                 download}};

} // namespace

} // namespace menu::doctor
