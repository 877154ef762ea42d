// The README's menu-doctor section against the program: every command it lists is one that
// menu-doctor knows, with the same arguments, and every example that calls the demo's
// menu-doctor calls one of them.
#include "support/Doctor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include <gtest/gtest.h>

using menu::test::runDoctor;

namespace {

// "ini get FILE SECTION KEY   what it does" -> "ini get FILE SECTION KEY"
QString synopsis(const QString &line)
{
    return line.trimmed().split(QRegularExpression(QStringLiteral("\\s{2,}"))).constFirst();
}

// The leading words of a synopsis that are typed as they stand ("ini", "get"); the rest are
// placeholders (FILE, string|integer).
qsizetype literalWords(const QStringList &words)
{
    qsizetype n = 0;
    while (n < words.size() && words[n] == words[n].toLower() && !words[n].contains(u'|'))
        ++n;
    return n;
}

struct Readme {
    QStringList synopses; // the command list, without "menu-doctor "
    QStringList examples; // "$ ..." lines, without the prompt
};

Readme readmeDoctorSection()
{
    QFile file(QStringLiteral(MENU_README));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype begin = text.indexOf(QStringLiteral("\n## menu-doctor\n"));
    EXPECT_GE(begin, 0);
    const qsizetype end = text.indexOf(QStringLiteral("\n## "), begin + 1);
    Readme readme;
    for (const QString &line : text.mid(begin, end - begin).split(u'\n')) {
        if (line.startsWith(QStringLiteral("    menu-doctor ")))
            readme.synopses.append(synopsis(line.mid(16)));
        else if (line.startsWith(QStringLiteral("    $ ")))
            readme.examples.append(line.mid(6).trimmed());
    }
    return readme;
}

TEST(Readme, ListsTheCommandsMenuDoctorHas)
{
    const auto usage = runDoctor({});
    ASSERT_EQ(usage.status, 2);
    QStringList known;
    for (const QString &line : usage.err.split(u'\n')) {
        if (line.startsWith(QStringLiteral("  menu-doctor ")))
            known.append(synopsis(line.mid(14)));
    }
    ASSERT_FALSE(known.isEmpty()) << usage.err.toStdString();
    const Readme readme = readmeDoctorSection();
    QStringList listed = readme.synopses;
    listed.sort();
    known.sort();
    EXPECT_EQ(listed, known);

    // The examples that call menu-doctor (the demo's build of it) call a listed command with
    // as many arguments as it takes; what a pipe does with the output is the shell's.
    ASSERT_FALSE(readme.examples.isEmpty());
    qsizetype calls = 0;
    for (const QString &example : readme.examples) {
        SCOPED_TRACE(example.toStdString());
        QStringList words = example.section(u'|', 0, 0).split(u' ', Qt::SkipEmptyParts);
        if (words.takeFirst() != QStringLiteral("build/demo-build/menu-doctor"))
            continue;
        ++calls;
        const bool matches = std::any_of(known.cbegin(), known.cend(), [&](const QString &command) {
            const QStringList form = command.split(u' ');
            const qsizetype literal = literalWords(form);
            return form.size() == words.size() && form.mid(0, literal) == words.mid(0, literal);
        });
        EXPECT_TRUE(matches) << "no command takes these arguments";
    }
    EXPECT_GE(calls, 5);
    EXPECT_EQ(QFileInfo(QStringLiteral(MENU_DOCTOR_PATH)).absolutePath(),
              QDir(QStringLiteral(MENU_BUILD_DIR)).absolutePath());
}

} // namespace
