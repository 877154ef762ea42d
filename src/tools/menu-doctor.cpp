// menu-doctor shows what the launcher would see, without a window.
#include "core/TrustedAnnouncement.h"
#include "platform/LibraryText.h"
#include "tools/Doctor.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <map>

namespace menu::doctor {

std::map<QString, Command> &commands()
{
    static std::map<QString, Command> all;
    return all;
}

QString printable(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\t' || (u >= 0x20 && u < 0x7F) || u > 0x9F)
            shown += c;
        else if (u == u'\r')
            shown += QLatin1String("\\r");
        else
            shown += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
    }
    return shown;
}

namespace {
// Server texts and file names reach the terminal only as visible characters, so that an escape
// sequence cannot rewrite or hide what was printed.
void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = printable(text).toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

void out(const QString &text)
{
    write(stdout, text);
}

void err(const QString &text)
{
    write(stderr, text);
}

const platform::SystemServices &system()
{
    static const std::unique_ptr<platform::SystemServices> services =
        platform::makeSystemServices();
    return *services;
}

Registration::Registration(Command command)
{
    commands().emplace(command.name, std::move(command));
}

int usage(const QString &name)
{
    err(QStringLiteral("usage:\n"));
    for (const auto &[key, command] : commands()) {
        if (!name.isEmpty() && key != name)
            continue;
        for (const QString &line : command.usage.split(QLatin1Char('\n')))
            err(QStringLiteral("  menu-doctor ") + line + QLatin1Char('\n'));
    }
    return 2;
}

// What this build trusts for updates; an unsigned build says so plainly.
int printBuild()
{
    const core::TrustPolicy &policy = core::trustPolicy();
    QStringList ids;
    for (const formats::MinisignKey &key : policy.keys)
        ids << formats::minisignKeyIdText(key.id);
    out(QStringLiteral("trusted keys: ") +
        (ids.isEmpty() ? QStringLiteral("none") : ids.join(QLatin1Char(' '))) + QLatin1Char('\n'));
    out(QStringLiteral("updates: ") +
        (policy.signedOnly()       ? QStringLiteral("signed only")
         : policy.updatesAllowed() ? QStringLiteral("UNSIGNED")
                                   : QStringLiteral("off")) +
        QLatin1Char('\n'));
    if (const QString note = core::buildNote(policy); !note.isEmpty())
        out(note + QLatin1Char('\n'));
    return 0;
}

} // namespace menu::doctor

int main(int argc, char **argv)
{
    menu::platform::prepareLibraryTexts(); // before any thread
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return menu::doctor::usage();
    const QString name = args.takeFirst();
    if (name == QLatin1String("--version"))
        return menu::doctor::printBuild();
    const auto &all = menu::doctor::commands();
    const auto found = all.find(name);
    if (found == all.end())
        return menu::doctor::usage();
    return found->second.run(args);
}
