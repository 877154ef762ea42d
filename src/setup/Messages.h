// What the installer and the starter tell their user, in Slovak (UTF-8).
#pragma once

#include <string>
#include <vector>

namespace menu::setup {

std::string commandLineText();
std::string noTargetText();
std::string notEndedText();
std::string busyText(const std::string &holder);    // another installation runs
std::string waitingText(const std::string &holder); // the progress while it runs
std::string copyingText(const std::string &version);
std::string switchingText(const std::string &version);
// file: the name that failed; left: what could not be removed again.
std::string installFailedText(const std::string &file, int error,
                              const std::vector<std::string> &left);
std::string starterNotReplacedText(const std::string &version, int error,
                                   const std::vector<std::string> &left);
std::string startFailedText(const std::string &program, int error);
std::string noVersionText(const std::string &pointer);

} // namespace menu::setup
