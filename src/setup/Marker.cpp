#include "setup/Marker.h"

#include <ctime>

namespace menu::setup {

std::string markerText(const Holder &holder)
{
    return holder.computer + "\n" + holder.user + "\n" + std::to_string(holder.since) + "\n" +
           std::to_string(holder.process) + "\n";
}

std::optional<Holder> holderFrom(const std::string &text)
{
    std::string lines[4];
    std::size_t start = 0;
    for (std::string &line : lines) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            return std::nullopt;
        line = text.substr(start, end - start);
        start = end + 1;
    }
    const auto isNumber = [](const std::string &t) {
        return !t.empty() && t.size() < 19 &&
               t.find_first_not_of("0123456789") == std::string::npos;
    };
    if (!isNumber(lines[2]) || !isNumber(lines[3]))
        return std::nullopt;
    return Holder{lines[0], lines[1], std::stoll(lines[2]),
                  static_cast<unsigned>(std::stoull(lines[3]))};
}

bool isStale(const std::optional<Holder> &holder, std::int64_t now)
{
    if (!holder || holder->since > now + 60 || now - holder->since > kStaleAfterSeconds)
        return true;
    return holder->computer == os::computerName() && !os::processRuns(holder->process);
}

int Marker::take(std::optional<Holder> &other)
{
    const Holder self{os::computerName(), os::userName(), os::secondsNow(), os::processId()};
    int error = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        error = os::createFlushed(layout_.marker(), markerText(self));
        if (error == 0) {
            held_ = true;
            return 0;
        }
        const std::optional<std::string> text = os::readSmall(layout_.marker(), 4096);
        if (!text && os::kindOf(layout_.marker()) == os::Kind::Missing)
            continue; // the other installer has just ended
        other = text ? holderFrom(*text) : std::nullopt;
        if (!isStale(other, os::secondsNow()))
            return error;
        // Moved aside first, so that of two installers finding it stale only one removes it;
        // one that turns out to be fresh after all is put back.
        const std::string aside = layout_.marker() + ".stale-" + std::to_string(self.process);
        if (os::renameNew(layout_.marker(), aside) != 0)
            continue;
        if (os::readSmall(aside, 4096) != text) {
            os::renameNew(aside, layout_.marker());
            return error;
        }
        os::removeFile(aside);
    }
    return error;
}

void Marker::release()
{
    if (held_)
        os::removeFile(layout_.marker());
    held_ = false;
}

std::string describe(const Holder &holder)
{
    const std::time_t since = static_cast<std::time_t>(holder.since);
    char when[32] = "?";
    if (const std::tm *local = std::localtime(&since))
        std::strftime(when, sizeof when, "%d.%m.%Y %H:%M", local);
    return "používateľ " + holder.user + " na počítači " + holder.computer + " od " + when;
}

} // namespace menu::setup
