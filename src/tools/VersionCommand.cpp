// menu-doctor version FILE TABLE KEY: one value of a program's version information, read as
// the launcher reads it, with the launcher's result code.
#include "core/VersionInfo.h"
#include "platform/Executables.h"
#include "tools/Doctor.h"

namespace menu::doctor {

namespace {

// The result codes of the launcher's version readers: 0 found, 1 no such table or value,
// 2 no version information, 3 no file.
core::VersionResult readValue(const QString &path, const QString &table, const QString &key,
                              QString &text)
{
    text.clear();
    const platform::VersionBlock block = platform::systemVersionReader().load(path);
    switch (block.status) {
    case platform::VersionBlock::Status::NoFile:
        return core::VersionResult::NoFile;
    case platform::VersionBlock::Status::NoVersionInfo:
        return core::VersionResult::NoVersionInfo;
    case platform::VersionBlock::Status::Loaded:
        break;
    }
    const auto value = core::versionValue(block.bytes, table, key);
    if (!value)
        return core::VersionResult::NoValue;
    text = *value;
    return core::VersionResult::Found;
}

int run(const QStringList &args)
{
    if (args.size() != 3)
        return usage(QStringLiteral("version"));
    QString text;
    const core::VersionResult result = readValue(args.at(0), args.at(1), args.at(2), text);
    // Support staff compare the code with the launcher's; it is no failure of the command.
    out(QString::number(static_cast<unsigned>(result)) + QChar(9) + text + QLatin1Char('\n'));
    return 0;
}

const Registration registration{
    {QStringLiteral("version"),
     QStringLiteral("version FILE TABLE KEY   one version value as result<TAB>text (0 found, "
                    "1 no such table or key, 2 no version information, 3 no file); for example "
                    "041B04E2 FileVersion"),
     run}};

} // namespace

} // namespace menu::doctor
