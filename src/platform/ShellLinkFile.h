// The Windows shell's shortcut file (.lnk), as the Windows side puts it on a desktop.
#pragma once

#include "formats/Result.h"
#include "platform/Desktop.h"

#include <QString>

namespace menu::platform {

// Writes a new link at path that starts shortcut.target in shortcut.workingDir with the
// target's icon, recording the target's attributes, size and times; never replaces an
// existing file, and a failure leaves nothing behind.
Status writeShellLink(const QString &path, const Shortcut &shortcut);

} // namespace menu::platform
