// The trust the test programs start with: the window and rule tests fetch unsigned documents
// from their local servers, as a build configured with MENU_ALLOW_UNSIGNED_UPDATES does; the
// tests of the signed road hand in keys of their own. Nothing goes to the user's real storage.
#pragma once

#include "core/TrustedAnnouncement.h"

#include <QStandardPaths>

namespace menu::test {

inline void trustUnsignedUpdates()
{
    QStandardPaths::setTestModeEnabled(true);
    core::TrustPolicy policy = core::compiledTrustPolicy();
    policy.allowUnsigned = true;
    core::setTrustPolicy(std::move(policy));
}

} // namespace menu::test
