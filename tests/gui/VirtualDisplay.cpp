#include "VirtualDisplay.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <unistd.h>

namespace menu::test {

VirtualDisplay::VirtualDisplay()
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        return;
    // A display number that no other X server holds (its lock file is the sign).
    for (int n = 200 + ::getpid() % 500, tries = 0; tries < 50; ++n, ++tries) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        name_ = QStringLiteral(":%1").arg(n);
        server_.start(QStringLiteral("Xvfb"),
                      {name_, QStringLiteral("-screen"), QStringLiteral("0"),
                       QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (server_.waitForStarted() &&
            QTest::qWaitFor([this] { return server_.state() != QProcess::Running || answers(); },
                            10000) &&
            server_.state() == QProcess::Running && manage())
            return;
        stop();
    }
    name_.clear();
}

VirtualDisplay::~VirtualDisplay()
{
    stop();
}

QString VirtualDisplay::run(const QString &program, const QStringList &arguments) const
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), name_);
    tool.setProcessEnvironment(env);
    tool.start(program, arguments);
    if (!tool.waitForFinished(10000)) {
        tool.kill();
        tool.waitForFinished();
        return {};
    }
    return QString::fromUtf8(tool.readAllStandardOutput());
}

QString VirtualDisplay::window(const QString &title) const
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-name"), title});
    const auto match = QRegularExpression(QStringLiteral("Window id: (0x[0-9a-f]+)")).match(info);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString VirtualDisplay::frameOf(const QString &window) const
{
    QString id = window;
    for (int depth = 0; depth < 10 && !id.isEmpty(); ++depth) {
        const QString tree =
            run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id, QStringLiteral("-tree")});
        const auto root =
            QRegularExpression(QStringLiteral("Root window id: (0x[0-9a-f]+)")).match(tree);
        const auto parent =
            QRegularExpression(QStringLiteral("Parent window id: (0x[0-9a-f]+)")).match(tree);
        if (!root.hasMatch() || !parent.hasMatch())
            return {};
        if (parent.captured(1) == root.captured(1))
            return id;
        id = parent.captured(1);
    }
    return {};
}

QStringList VirtualDisplay::stack() const
{
    QStringList ids;
    const QString tree =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
    const QRegularExpression child(QStringLiteral("^\\s+(0x[0-9a-f]+) "),
                                   QRegularExpression::MultilineOption);
    for (auto it = child.globalMatch(tree); it.hasNext();)
        ids.append(it.next().captured(1));
    // xwininfo lists the children from the top of the stack down.
    std::reverse(ids.begin(), ids.end());
    return ids;
}

bool VirtualDisplay::answers() const
{
    QProcess probe;
    probe.setStandardOutputFile(QProcess::nullDevice());
    probe.setStandardErrorFile(QProcess::nullDevice());
    probe.start(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), name_});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

// Starts twm and waits until it frames a window.
bool VirtualDisplay::manage()
{
    if (QStandardPaths::findExecutable(QStringLiteral("twm")).isEmpty())
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), name_);
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    manager_.setProcessEnvironment(env);
    manager_.start(QStringLiteral("twm"), {QStringLiteral("-f"), QStringLiteral(MENU_TWMRC)});
    if (!manager_.waitForStarted())
        return false;
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(QStringLiteral("xmessage"),
                {QStringLiteral("-title"), QStringLiteral("orvan-probe"), QStringLiteral("probe")});
    const bool framed = QTest::qWaitFor(
        [&] {
            const QString id = window(QStringLiteral("orvan-probe"));
            return !id.isEmpty() && frameOf(id) != id;
        },
        20000);
    probe.kill();
    probe.waitForFinished();
    return framed;
}

void VirtualDisplay::stop()
{
    if (manager_.state() != QProcess::NotRunning) {
        manager_.kill();
        manager_.waitForFinished();
    }
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished();
        }
    }
}

} // namespace menu::test
