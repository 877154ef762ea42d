// A fresh directory per test, removed with everything in it when the test ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <ostream>

// Failed comparisons of texts show the texts, not their bytes.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace menu::test {

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
