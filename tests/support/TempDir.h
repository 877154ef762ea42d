// A fresh directory per test, removed with everything in it when the test ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <string>

namespace menu::test {

// The path a lookup without case gives: the stored name's case on Linux; on Windows, whose
// names are case-blind, the case it was written in is as good, and the package keeps it.
inline std::string comparablePath(const QString &path)
{
#ifdef _WIN32
    return path.toCaseFolded().toStdString();
#else
    return path.toStdString();
#endif
}

class TempDir {
  public:
    TempDir();
    QString path() const { return dir_.path(); }
    // Full path of name inside the directory.
    QString file(const QString &name) const;
    // Writes bytes to name (creating folders on the way) and returns its full path.
    QString write(const QString &name, const QByteArray &bytes) const;
    QByteArray read(const QString &name) const;

  private:
    QTemporaryDir dir_;
};

} // namespace menu::test
