// menu-doctor shows what the launcher would see, without a window.
#include "tools/Doctor.h"

#include <QCoreApplication>

#include <cstdio>
#include <map>

namespace menu::doctor {

std::map<QString, Command> &commands()
{
    static std::map<QString, Command> all;
    return all;
}

namespace {
void write(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
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

} // namespace menu::doctor

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return menu::doctor::usage();
    const QString name = args.takeFirst();
    const auto &all = menu::doctor::commands();
    const auto found = all.find(name);
    if (found == all.end())
        return menu::doctor::usage();
    return found->second.run(args);
}
