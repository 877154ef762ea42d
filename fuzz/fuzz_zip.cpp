// Arbitrary bytes as a downloaded package: opening and unpacking them must never crash, and
// nothing may land outside the unpacking directory or be made a symbolic link.
#include "core/PackageExtract.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir &root()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/fuzz-zip-XXXXXX"));
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString target = root().path() + QStringLiteral("/ORVAN-INSTAL");
    QDir().mkpath(target);

    menu::core::ZipReader reader;
    QString error;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (reader.openArchive(bytes, error)) {
        menu::core::ExtractOptions options;
        options.availableBytes = 16 * 1024 * 1024; // bounds what one input may write
        options.flush = false;
        menu::core::extractArchive(reader, target, options);
        reader.closeArchive();
    }

    const QStringList beside =
        QDir(root().path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (beside != QStringList{QStringLiteral("ORVAN-INSTAL")})
        std::abort(); // something was written beside the unpacking directory
    QDirIterator it(target, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        if (QFileInfo(it.next()).isSymLink())
            std::abort();
    }
    // Folders may have been left without write permission for others, never for the owner.
    QDir(target).removeRecursively();
    return 0;
}
