// Starts that fail on this system, with the real shell: what the user is told.
#include "core/Launch.h"
#include "platform/posix/PosixShell.h"
#include "support/Environment.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

using menu::test::Environment;
using menu::test::TempDir;

namespace {

const QString kHeader = QStringLiteral("Chyba pri spustení aplikácie Mzdy\r\r");

std::optional<QString> launch(const QString &path)
{
    menu::platform::PosixShell shell;
    const std::optional<menu::core::Notice> notice =
        menu::core::launch(shell, QStringLiteral("Mzdy"), path, 0);
    if (!notice)
        return std::nullopt;
    EXPECT_EQ(notice->kind, menu::core::BoxKind::Error);
    return notice->text;
}

QString executable(const TempDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.write(name, content);
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeGroup |
                                    QFile::ExeOther);
    return path;
}

// A program that is open for writing cannot be run (ETXTBSY): an error the table has no row
// for is told with the system's reason, not as a lack of memory.
TEST(LaunchFailure, ErrorWithoutARowGivesTheSystemsReason)
{
    TempDir dir;
    QFile program(QStringLiteral("/bin/true"));
    ASSERT_TRUE(program.open(QIODevice::ReadOnly));
    const QString path = executable(dir, QStringLiteral("busy"), program.readAll());
    QFile writer(path);
    ASSERT_TRUE(writer.open(QIODevice::Append));

    EXPECT_EQ(launch(path), kHeader + QStringLiteral("Neznáma chyba (súbor je práve používaný) !"));
}

// The system refuses to run the file (here: a script whose interpreter may not be run; a
// noexec mount does the same): said so, not taken for a cancelled elevation.
TEST(LaunchFailure, RefusedRunIsToldNotSilent)
{
    TempDir dir;
    const QString interpreter = dir.write(QStringLiteral("interpreter"), "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(interpreter, QFile::ReadOwner | QFile::WriteOwner));
    const QString script =
        executable(dir, QStringLiteral("mzdy.sh"), "#!" + QFile::encodeName(interpreter) + "\n");

    EXPECT_EQ(launch(script),
              kHeader + QStringLiteral("Operačný systém nedovolil spustiť súbor ") + script +
                  QStringLiteral(" (prístup bol odmietnutý) !\rSúbor nemá právo na spustenie "
                                 "alebo je na disku, z ktorého sa programy nesmú spúšťať."));
}

// A document is opened by the desktop's application for its type; with none, result 31 is
// told before xdg-open would start and do nothing. The desktop's associations are the test's
// own: the shared MIME database, no applications but the ones each case names.
TEST(LaunchFailure, DocumentWithoutAnApplication)
{
    if (QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        GTEST_SKIP() << "gio and xdg-open tell which application opens a document";
    if (!QFile::exists(QStringLiteral("/usr/share/mime/mime.cache")))
        GTEST_SKIP() << "no shared MIME database";
    const QString kNone =
        kHeader + QStringLiteral("Neexistuje aplikácia, súvisiaca s danou príponou súboru !");
    const struct {
        const char *document;
        const char *associations; // mimeapps.list
        bool opened;
    } cases[] = {
        {"Novinky.txt", "", false},
        {"Novinky.txt", "[Default Applications]\ntext/plain=orvan-viewer.desktop\n", true},
        {"Novinky.txt", "[Added Associations]\ntext/plain=orvan-viewer.desktop;\n", true},
        {"Príručka.pdf", "[Default Applications]\ntext/plain=orvan-viewer.desktop\n", false},
        {"Príručka.pdf", "[Default Applications]\napplication/pdf=orvan-viewer.desktop\n", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.document + std::string(" with ") + c.associations);
        TempDir dir;
        QDir().mkpath(dir.file(QStringLiteral("share")));
        QFile::link(QStringLiteral("/usr/share/mime"), dir.file(QStringLiteral("share/mime")));
        dir.write(QStringLiteral("data/applications/orvan-viewer.desktop"),
                  "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\n");
        dir.write(QStringLiteral("config/mimeapps.list"), c.associations);
        QDir().mkpath(dir.file(QStringLiteral("etc")));
        const Environment isolated({{"XDG_DATA_DIRS", dir.file(QStringLiteral("share"))},
                                    {"XDG_DATA_HOME", dir.file(QStringLiteral("data"))},
                                    {"XDG_CONFIG_HOME", dir.file(QStringLiteral("config"))},
                                    {"XDG_CONFIG_DIRS", dir.file(QStringLiteral("etc"))},
                                    {"XDG_CURRENT_DESKTOP", QStringLiteral("X-Orvan-Test")},
                                    {"DISPLAY", std::nullopt},
                                    {"WAYLAND_DISPLAY", std::nullopt}});
        const QString document =
            dir.write(QString::fromUtf8(c.document),
                      c.document[0] == 'P' ? "%PDF-1.4\n%\xE2\xE3\n" : "text\n");
        EXPECT_EQ(launch(document), c.opened ? std::nullopt : std::optional(kNone));
    }
}

} // namespace
