#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace menu::test {

TempDir::TempDir() : dir_(QDir::tempPath() + QStringLiteral("/menu-test-XXXXXX"))
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary directory");
}

QString TempDir::file(const QString &name) const
{
    return dir_.filePath(name);
}

QString TempDir::write(const QString &name, const QByteArray &bytes) const
{
    const QString path = file(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write a test file");
    return path;
}

QByteArray TempDir::read(const QString &name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace menu::test
