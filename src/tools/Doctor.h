// menu-doctor: each command lives in its own file and registers itself here.
#pragma once

#include "platform/System.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace menu::doctor {

// Standard output and error in UTF-8, one call per line or piece, through printable.
void out(const QString &text);
void err(const QString &text);
// text with every control character but LF and TAB shown as an escape (CR as \r, the others
// as \xNN), so that what a server or a file name holds cannot steer the terminal.
QString printable(const QString &text);

struct Command {
    QString name;  // first word on the command line ("ini")
    QString usage; // one line per form, without the program's name
    // Runs with the words after the name; returns the exit status.
    std::function<int(const QStringList &args)> run;
};

// Registers a command at program start: static const Registration r{{...}};
struct Registration {
    explicit Registration(Command command);
};

// The services of this system, made at first use.
const platform::SystemServices &system();

// Prints the usage of one command (or of all) to standard error and returns 2.
int usage(const QString &name = QString());

} // namespace menu::doctor
