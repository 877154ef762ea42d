// menu-doctor extract: unpacks a package archive as the launcher does after a download: copied
// into a private directory of its own in the user's temporary directory, as orvan_update.zip,
// and unpacked into ORVAN-INSTAL there. Says whether the installer check passed and where the
// directory is (kept for a look; a later start of the launcher removes it after an hour).
#include "core/PackageExtract.h"
#include "core/Texts.h"
#include "platform/AtomicFile.h"
#include "platform/Files.h"
#include "platform/PrivateDir.h"
#include "tools/Doctor.h"

#include <QByteArray>
#include <QFileInfo>
#include <algorithm>

namespace menu::doctor {

namespace {

// The archive's bytes into the private directory, as the download would have put them there.
Status copyInto(const QString &from, const QString &to)
{
    Result<platform::ReadOnlyFile> source = platform::ReadOnlyFile::open(from);
    if (!source.ok())
        return source.failure();
    Result<platform::AtomicFile> target = platform::AtomicFile::begin(to, {});
    if (!target.ok())
        return target.failure();
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (std::uint64_t offset = 0; offset < source->size();) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(
            source->size() - offset, static_cast<std::uint64_t>(block.size())));
        if (!source->readAt(offset, block.data(), length))
            return Failure::of(std::errc::io_error, from);
        if (Status put = target->write(block.constData(), static_cast<qint64>(length)); !put.ok())
            return put;
        offset += length;
    }
    return target->commit();
}

int extract(const QStringList &args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("extract"));
    const QString given = QFileInfo(args.first()).absoluteFilePath();
    Result<platform::PrivateDir> dir = platform::PrivateDir::create(
        platform::temporaryDirectory(), QLatin1String(core::kPackageDirPrefix));
    if (!dir.ok()) {
        err(QStringLiteral("no private directory: ") + core::texts::reason(dir.failure()) +
            QLatin1Char('\n'));
        return 1;
    }
    const QString archive = dir->path() + QLatin1Char('/') + QLatin1String(core::kPackageFileName);
    if (Status copied = copyInto(given, archive); !copied.ok()) {
        err(given + QStringLiteral(": ") + core::texts::reason(copied.failure()) +
            QLatin1Char('\n'));
        return 1;
    }
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
    out(QStringLiteral("directory: ") + platform::nativePath(dir->path()) + QLatin1Char('\n'));
    dir->keep();
    return 0; // the outcome is in the output, not in the status
}

const Registration registration{{
    QStringLiteral("extract"),
    QStringLiteral("extract ARCHIVE"),
    extract,
}};

} // namespace

} // namespace menu::doctor
