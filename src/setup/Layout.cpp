#include "setup/Layout.h"

namespace menu::setup {

namespace {
// Larger than any launcher, even one with its symbols.
constexpr std::size_t kLargestProgram = 256u << 20;
} // namespace

std::optional<std::string> currentVersion(const Layout &layout)
{
    std::optional<std::string> text = os::readSmall(layout.pointer(), 256);
    if (!text)
        return std::nullopt;
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r'))
        text->pop_back();
    if (!isPlainName(*text) || os::kindOf(layout.launcherOf(*text)) != os::Kind::File)
        return std::nullopt;
    return text;
}

int switchTo(const Layout &layout, const std::string &name)
{
    const std::string next = layout.pointer() + ".new-" + std::to_string(os::processId());
    os::removeFile(next); // left by an installer of the same id that was cut off
    if (const int error = os::createFlushed(next, name + "\n"))
        return error;
    if (const int error = os::replace(next, layout.pointer())) {
        os::removeFile(next);
        return error;
    }
    return 0;
}

std::string fileVersionOf(const std::string &program)
{
    // VS_FIXEDFILEINFO: its signature, the structure's version 1.0, then the file version as
    // two 32-bit numbers, each a pair of 16-bit ones, little-endian.
    static const char kSignature[] = "\xbd\x04\xef\xfe\x00\x00\x01\x00";
    const std::optional<std::string> bytes = os::readSmall(program, kLargestProgram);
    const std::string signature(kSignature, sizeof kSignature - 1);
    const std::size_t at = bytes ? bytes->find(signature) : std::string::npos;
    if (at == std::string::npos || bytes->size() < at + 16)
        return {};
    const auto word = [&](std::size_t offset) {
        return std::to_string(static_cast<unsigned char>((*bytes)[at + offset]) |
                              static_cast<unsigned char>((*bytes)[at + offset + 1]) << 8);
    };
    return word(10) + "." + word(8) + "." + word(14) + "." + word(12);
}

bool isPlainName(const std::string &name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string::npos;
}

bool sameContents(const std::string &a, const std::string &b)
{
    const std::optional<std::string> first = os::readSmall(a, kLargestProgram);
    const std::optional<std::string> second = os::readSmall(b, kLargestProgram);
    return first && second && *first == *second;
}

} // namespace menu::setup
