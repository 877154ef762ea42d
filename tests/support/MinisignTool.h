// Keys and signatures made by the real minisign program at run time, for the tests of the
// signed update road. Keys have no password (minisign -W).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace menu::test {

class MinisignTool {
  public:
    // The program, or empty when it is not installed (the caller skips).
    static QString program();

    // Keys and scratch files go into dir.
    explicit MinisignTool(QString dir) : dir_(std::move(dir)) {}

    // Makes the key pair name.pub / name.key and returns the public key's line ("RW...").
    QByteArray makeKey(const QString &name) const;
    // A signature file of message by the key name, with the trusted comment (null: minisign's
    // own, with the time of signing); more goes to the command line as it is (-l: legacy).
    QByteArray sign(const QString &key, const QByteArray &message,
                    const QString &trustedComment = QString(), const QStringList &more = {}) const;

  private:
    bool run(const QStringList &arguments) const;
    QString dir_;
};

} // namespace menu::test
