// Texts of what the user trips over: refused starts, a second launcher.
// The texts are the users' own words: change them only together with their users. A CR
// (character 13) breaks a line in a box.
#pragma once

#include "formats/Result.h"

#include <QString>

#include <optional>

namespace menu::core::texts {

// ---- What the user trips over: refused starts, a second launcher ----

// The system refused to run the file (5 with a reason): no run permission, or a disk that
// does not allow programs to be run from it.
QString launchNotAllowed(const Failure &failure);
// A failed start without a row of its own: the system's reason where there is one, else the
// number.
QString unknownLaunchFailure(int code, const std::optional<Failure> &reason);
// A second start found the launcher running, but the running one did not answer.
QString launcherNotAnswering();
// The single-instance claim itself failed, so this start cannot know whether it is the only one:
// why, and that it ends.
QString instanceClaimFailed(const Failure &failure);

} // namespace menu::core::texts
