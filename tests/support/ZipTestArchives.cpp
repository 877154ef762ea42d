#include "support/ZipTestArchives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <functional>
#include <zip.h>

namespace menu::test {

bool runZipTool(const QString &dir, const QStringList &args)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q")} + args);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

ZipWriter::ZipWriter(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    int code = 0;
    archive_ = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
}

ZipWriter::~ZipWriter()
{
    if (archive_ != nullptr)
        zip_discard(archive_);
}

qint64 ZipWriter::add(const QByteArray &name, const QByteArray &data, Method method, Name naming)
{
    if (archive_ == nullptr)
        return -1;
    const QByteArray &kept = data_.emplace_back(data);
    zip_source_t *source =
        zip_source_buffer(archive_, kept.constData(), static_cast<zip_uint64_t>(kept.size()), 0);
    if (source == nullptr)
        return -1;
    const zip_flags_t flags = naming == Name::Utf8 ? ZIP_FL_ENC_UTF_8 : ZIP_FL_ENC_GUESS;
    const zip_int64_t index = zip_file_add(archive_, name.constData(), source, flags);
    if (index < 0) {
        zip_source_free(source);
        return -1;
    }
    zip_set_file_compression(archive_, static_cast<zip_uint64_t>(index),
                             method == Method::Store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    setDosAttributes(index, 0);
    return index;
}

void ZipWriter::addDir(const QByteArray &name)
{
    if (archive_ != nullptr)
        zip_dir_add(archive_, name.constData(), ZIP_FL_ENC_GUESS);
}

void ZipWriter::setUnixMode(qint64 index, quint32 mode)
{
    zip_file_set_external_attributes(archive_, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                     mode << 16);
}

void ZipWriter::setDosAttributes(qint64 index, quint32 attributes)
{
    zip_file_set_external_attributes(archive_, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_DOS,
                                     attributes);
}

bool ZipWriter::close()
{
    if (archive_ == nullptr)
        return false;
    const bool ok = zip_close(archive_) == 0;
    if (ok)
        archive_ = nullptr;
    return ok;
}

namespace {

void patchHeaders(QByteArray &archive, const QByteArray &signature, qsizetype offset,
                  const std::function<void(char *)> &patch)
{
    for (qsizetype at = archive.indexOf(signature); at >= 0;
         at = archive.indexOf(signature, at + 4)) {
        if (at + offset + 4 <= archive.size())
            patch(archive.data() + at + offset);
    }
}

const QByteArray kLocal("PK\x03\x04", 4);
const QByteArray kCentral("PK\x01\x02", 4);

} // namespace

void setUtf8Flag(QByteArray &archive, bool on)
{
    auto patch = [on](char *flags) {
        if (on)
            flags[1] = static_cast<char>(flags[1] | 0x08);
        else
            flags[1] = static_cast<char>(flags[1] & ~0x08);
    };
    patchHeaders(archive, kLocal, 6, patch);
    patchHeaders(archive, kCentral, 8, patch);
}

void setDeclaredSize(QByteArray &archive, quint32 size)
{
    auto patch = [size](char *field) {
        for (int i = 0; i < 4; ++i)
            field[i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    };
    patchHeaders(archive, kLocal, 22, patch);
    patchHeaders(archive, kCentral, 24, patch);
}

} // namespace menu::test
