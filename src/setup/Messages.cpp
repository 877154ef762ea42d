#include "setup/Messages.h"

#include "setup/Os.h"

namespace menu::setup {

namespace {

const std::string kProgram = "ORVAN-Základná ponuka";

std::string because(const std::string &subject, int error)
{
    return subject + " – " + os::reason(error);
}

std::string leftText(const std::vector<std::string> &left)
{
    if (left.empty())
        return {};
    std::string text = "\r\nZostali súbory, ktoré sa nepodarilo odstrániť:";
    for (const std::string &path : left)
        text += "\r\n" + path;
    return text;
}

} // namespace

std::string commandLineText()
{
    return "Inštalácia nerozumie svojim parametrom.\r\nPoužitie: setup.exe [--wait PID] [LAUNCHER]";
}

std::string noTargetText()
{
    return "Inštalácia nevie, ktorý program " + kProgram + " má nahradiť.";
}

std::string notEndedText()
{
    return "Program " + kProgram + " sa neukončil, inštalácia ho nemôže nahradiť.";
}

std::string busyText(const std::string &holder)
{
    return "Inštaláciu programu " + kProgram + " už vykonáva " + holder + ".\r\nPôvodný program " +
           kProgram + " zostáva; skúste to neskôr.";
}

std::string waitingText(const std::string &holder)
{
    return "Prebieha inštalácia programu " + kProgram + " (" + holder + "). Počkajte, prosím …";
}

std::string copyingText(const std::string &version)
{
    return "Kopírujú sa súbory verzie " + version + " …";
}

std::string switchingText(const std::string &version)
{
    return "Prepína sa na verziu " + version + " …";
}

std::string installFailedText(const std::string &file, int error,
                              const std::vector<std::string> &left)
{
    return "Inštalácia sa nepodarila: " + because(file, error) + "\r\nPôvodný program " + kProgram +
           " zostáva." + leftText(left);
}

std::string starterNotReplacedText(const std::string &version, int error,
                                   const std::vector<std::string> &left)
{
    return "Verzia " + version + " je nainštalovaná, ale spúšťač " +
           because(os::kLauncherName, error) +
           " sa nepodarilo nahradiť; ikona ORVAN spúšťa "
           "doterajší program." +
           leftText(left);
}

std::string startFailedText(const std::string &program, int error)
{
    return "Program " + kProgram + " sa nepodarilo spustiť: " + because(program, error);
}

std::string noVersionText(const std::string &pointer)
{
    return "Program " + kProgram +
           " sa nepodarilo spustiť: nie je nainštalovaná žiadna úplná "
           "verzia (" +
           pointer + ").";
}

} // namespace menu::setup
