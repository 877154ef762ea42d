// menu-doctor download URL FILE: fetches a file as the update dialog does and shows each
// progress notification, or the two error texts.
#include "core/HttpDown.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {

class PrintProgress final : public core::IHttpDownProgress {
  public:
    void HttpDownProgressNotification(const QString &Text, std::int32_t CurrentProgress,
                                      std::int32_t MaxProgress) override
    {
        out(Text + QStringLiteral(": %1 / %2\n").arg(CurrentProgress).arg(MaxProgress));
    }
};

// The hint separates its lines with a bare carriage return; a terminal would overwrite them.
QString lines(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

int download(const QStringList &args)
{
    if (args.size() != 2)
        return usage(QStringLiteral("download"));
    PrintProgress monitor;
    core::THttpDown down;
    QString text;
    QString hint;
    if (down.fHttpDownProgress2(args.at(0), args.at(1), monitor, text, hint)) {
        out(QStringLiteral("OK: ") + args.at(1) + QLatin1Char('\n'));
        return 0;
    }
    err(lines(text) + QLatin1Char('\n'));
    if (!hint.isEmpty())
        err(lines(hint) + QLatin1Char('\n'));
    return 1;
}

const Registration registration{{QStringLiteral("download"),
                                 QStringLiteral("download URL FILE   (URL: host/path, "
                                                "http://host/path or https://host/path)"),
                                 download}};

} // namespace

} // namespace menu::doctor
