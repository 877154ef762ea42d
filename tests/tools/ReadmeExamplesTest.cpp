// The README's menu-doctor examples run as written, one after another in one shell, in a copy of
// what scripts/demo.sh leaves behind: the demo package, its menu-doctor, the demo vendor's key
// and the signed announcement the demo's update server publishes. Each example prints what the
// README shows under it ("…" stands for any lines; runs of blanks and tabs count as one blank).
#include "support/MinisignSigner.h"
#include "support/TempDir.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

#ifdef MENU_DEMO_PACKAGE_DIR
struct Example {
    QString command;
    QStringList shown;
};

std::vector<Example> readmeExamples()
{
    QFile file(QStringLiteral(MENU_README));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype begin = text.indexOf(QStringLiteral("\n## menu-doctor\n"));
    const qsizetype end = text.indexOf(QStringLiteral("\n## "), begin + 1);
    std::vector<Example> examples;
    bool inBlock = false;
    for (const QString &line : text.mid(begin, end - begin).split(u'\n')) {
        if (line.startsWith(QStringLiteral("    $ "))) {
            examples.push_back({line.mid(6), {}});
            inBlock = true;
        } else if (inBlock && line.startsWith(QStringLiteral("    "))) {
            examples.back().shown.append(line.mid(4));
        } else {
            inBlock = false;
        }
    }
    return examples;
}

QString blanksFolded(const QString &line)
{
    return line.simplified();
}

// True when the lines printed match the lines shown, "…" standing for any number of lines.
bool matches(const QStringList &shown, const QStringList &printed)
{
    if (shown.isEmpty())
        return printed.isEmpty();
    if (shown.front() == QStringLiteral("…")) {
        for (qsizetype skip = 0; skip <= printed.size(); ++skip) {
            if (matches(shown.mid(1), printed.mid(skip)))
                return true;
        }
        return false;
    }
    return !printed.isEmpty() && blanksFolded(shown.front()) == blanksFolded(printed.front()) &&
           matches(shown.mid(1), printed.mid(1));
}

// What scripts/demo.sh leaves in the repository, made the way it makes it.
const char *const kDemoLeftovers = R"(set -e
mkdir -p build/demo-build build/demo/ORVAN/MENU build/demo-key build/demo-work demo/server \
  build/demo-server/ORVANWIN/FILES
ln -s "$DOCTOR" build/demo-build/menu-doctor
cp -R "$PACKAGE/." build/demo/
printf '[OPTIONS]\r\nButtonsView=Hor\r\nLicKon=0\r\n' > build/demo/ORVAN/MENU/menu.ini
ln -s "$SOURCE/demo/server/server.py" demo/server/server.py
minisign -G -W -f -p build/demo-key/demo.pub -s build/demo-key/demo.key >/dev/null
files=build/demo-server/ORVANWIN/FILES
cp build/demo/ORVAN/TEA/TeamViewerQS.exe "$files/"
{ printf '[TEA]\r\nAktCis=15.51.5\r\n'
  build/demo-build/menu-doctor announce "$files/TeamViewerQS.exe" | sed 's/$/\r/'
} > build/demo-server/ORVANWIN/orvan_akt.ini
minisign -S -s build/demo-key/demo.key -m build/demo-server/ORVANWIN/orvan_akt.ini >/dev/null
set +e
trap 'kill $(jobs -p) 2>/dev/null' EXIT
)";

TEST(Readme, DoctorExamplesRunAsWrittenAfterTheDemo)
{
    if (menu::test::minisignProgram().isEmpty())
        GTEST_SKIP() << "minisign is not installed";
    const std::vector<Example> examples = readmeExamples();
    ASSERT_FALSE(examples.empty());
    QString script = QString::fromUtf8(kDemoLeftovers);
    for (std::size_t i = 0; i < examples.size(); ++i)
        script += QStringLiteral("echo @@@%1\n%2\necho\n").arg(i).arg(examples[i].command);

    const menu::test::TempDir repository;
    QProcess shell;
    shell.setWorkingDirectory(repository.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DOCTOR"), QStringLiteral(MENU_DOCTOR_PATH));
    env.insert(QStringLiteral("PACKAGE"), QStringLiteral(MENU_DEMO_PACKAGE_DIR));
    env.insert(QStringLiteral("SOURCE"), QStringLiteral(MENU_SOURCE_DIR));
    shell.setProcessEnvironment(env);
    shell.start(QStringLiteral("bash"), {QStringLiteral("-c"), script});
    ASSERT_TRUE(shell.waitForFinished(120000));
    const QString out = QString::fromUtf8(shell.readAllStandardOutput());

    const QStringList parts = out.split(
        QRegularExpression(QStringLiteral("^@@@\\d+\\n"), QRegularExpression::MultilineOption));
    ASSERT_EQ(parts.size(), qsizetype(examples.size()) + 1)
        << out.toStdString() << shell.readAllStandardError().toStdString();
    for (std::size_t i = 0; i < examples.size(); ++i) {
        QStringList printed = parts[qsizetype(i) + 1].split(u'\n');
        printed.removeLast(); // the end of the echo after the command
        if (!printed.isEmpty() && printed.back().isEmpty())
            printed.removeLast();
        EXPECT_TRUE(matches(examples[i].shown, printed))
            << "$ " << examples[i].command.toStdString() << "\nprinted:\n"
            << printed.join(u'\n').toStdString();
    }
}
#endif

} // namespace
