#include "formats/DesktopEntry.h"

namespace menu::formats {

namespace {

// A value of type string: backslash, and the characters that would end or mangle the line,
// escaped; a leading space kept as one.
QString stringValue(const QString &value)
{
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else if (c == u'\t')
            escaped += QStringLiteral("\\t");
        else if (c == u' ' && i == 0)
            escaped += QStringLiteral("\\s");
        else
            escaped += c;
    }
    return escaped;
}

// One argument of Exec, quoted whole: inside double quotes ", `, $ and \ take a backslash, and
// a literal % is doubled so that it is not taken for a field code.
QString execArgument(const QString &argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return quoted + u'"';
}

} // namespace

Result<QByteArray> desktopEntryEncode(const DesktopEntryData &entry)
{
    for (const QString *text : {&entry.name, &entry.program, &entry.workingDir, &entry.icon}) {
        if (text->contains(QChar(0)))
            return Failure::of(std::errc::invalid_argument, {}, QStringLiteral("a null character"));
    }
    if (entry.program.isEmpty())
        return Failure::of(std::errc::invalid_argument, {}, QStringLiteral("no program"));
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.0\n");
    text += QStringLiteral("Name=") + stringValue(entry.name) + u'\n';
    // The general escapes apply to the value after the quoting: a backslash becomes four.
    // GLib looks for the program before it undoes %%, so a program with a % in its path is
    // started through env, which it finds.
    const QString exec = (entry.program.contains(u'%') ? QStringLiteral("env ") : QString()) +
                         execArgument(entry.program);
    text += QStringLiteral("Exec=") + stringValue(exec) + u'\n';
    if (!entry.workingDir.isEmpty())
        text += QStringLiteral("Path=") + stringValue(entry.workingDir) + u'\n';
    if (!entry.icon.isEmpty())
        text += QStringLiteral("Icon=") + stringValue(entry.icon) + u'\n';
    text += QStringLiteral("Terminal=false\n");
    return text.toUtf8();
}

} // namespace menu::formats
