// What the tests of the launcher's own update share: an environment variable set for a while,
// the vendor's package made with the zip tool and announced with its length and hash, and the
// private directories an update leaves.
#pragma once

#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace menu::test {

// Sets an environment variable for the life of the object.
class ScopedEnv {
  public:
    ScopedEnv(const char *name, const QByteArray &value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

  private:
    const char *name_;
    bool had_;
    QByteArray old_;
};

// A package as the vendor makes it: the installer, a script that leaves the file mark in its
// directory when it runs (with "ran" and its arguments), at the top, and a further file in a
// folder. Empty when the zip tool failed.
inline QByteArray packageArchive(const TempDir &dir, const QByteArray &mark = "setup-ran")
{
    const QString pkg = QStringLiteral("pkg-") + QString::fromUtf8(mark);
    dir.write(pkg + QStringLiteral("/setup.exe"), "#!/bin/sh\necho ran \"$@\" > " + mark + "\n");
    QFile::setPermissions(dir.file(pkg + QStringLiteral("/setup.exe")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    dir.write(pkg + QStringLiteral("/data/readme.txt"), "ORVAN " + mark);
    QProcess zip;
    zip.setWorkingDirectory(dir.file(pkg));
    zip.start(QStringLiteral("zip"),
              {QStringLiteral("-q"), QStringLiteral("-r"),
               QStringLiteral("../") + pkg + QStringLiteral(".zip"), QStringLiteral(".")});
    if (!zip.waitForFinished(60000) || zip.exitCode() != 0)
        return {};
    return dir.read(pkg + QStringLiteral(".zip"));
}

// The [ORVAN] section of menu.ini announcing launcher 9.0.0.0 in orvan_9000.zip with the
// length and SHA-256 of package.
inline QByteArray announcementOf(const QByteArray &package)
{
    return "[ORVAN]\nAktCis=9.0.0.0\nAktDat=10.01.2024\nAktFil=orvan_9000.zip\nAktLen=" +
           QByteArray::number(package.size()) +
           "\nAktSha256=" + QCryptographicHash::hash(package, QCryptographicHash::Sha256).toHex() +
           "\n";
}

// The private package directories of any user in the temporary directory tmp, as full paths.
inline QStringList packageDirs(const QString &tmp)
{
    QStringList found;
    for (const QString &name :
         QDir(tmp).entryList({QStringLiteral("orvan-update-*")}, QDir::Dirs | QDir::Hidden))
        found << tmp + QLatin1Char('/') + name;
    return found;
}

inline struct stat statOf(const QString &path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info;
}

} // namespace menu::test
