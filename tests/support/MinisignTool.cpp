#include "support/MinisignTool.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace menu::test {

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString MinisignTool::program()
{
    return QStandardPaths::findExecutable(QStringLiteral("minisign"));
}

bool MinisignTool::run(const QStringList &arguments) const
{
    QProcess tool;
    tool.setStandardInputFile(QProcess::nullDevice());
    tool.start(program(), arguments);
    const bool ended = tool.waitForFinished(60'000);
    EXPECT_TRUE(ended && tool.exitCode() == 0) << "minisign " << arguments.join(u' ').toStdString()
                                               << ": " << tool.readAllStandardError().toStdString();
    return ended && tool.exitCode() == 0;
}

QByteArray MinisignTool::makeKey(const QString &name) const
{
    const QString pub = dir_ + QLatin1Char('/') + name + QStringLiteral(".pub");
    if (!run({"-G", "-W", "-f", "-p", pub, "-s", dir_ + QLatin1Char('/') + name + ".key"}))
        return {};
    return readAll(pub).split('\n').value(1).trimmed();
}

QByteArray MinisignTool::sign(const QString &key, const QByteArray &message,
                              const QString &trustedComment, const QStringList &more) const
{
    const QString document = dir_ + QStringLiteral("/signed-document");
    QFile file(document);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(message) != message.size())
        return {};
    file.close();
    const QString signature = document + QStringLiteral(".minisig");
    QFile::remove(signature);
    QStringList arguments{"-S", "-s",     dir_ + QLatin1Char('/') + key + ".key", "-m", document,
                          "-x", signature};
    if (!trustedComment.isNull())
        arguments << QStringLiteral("-t") << trustedComment;
    if (!run(arguments + more))
        return {};
    return readAll(signature);
}

} // namespace menu::test
