// What both sides of the seam share of their system services.
#include "platform/System.h"

#include "platform/UserCache.h"

namespace menu::platform {

Services SystemServices::services(const QString &executablePath) const
{
    Services s;
    s.executablePath = executablePath;
    s.cacheDir = userCacheDirectory();
    s.profiles = profiles.get();
    s.clock = clock.get();
    s.screen = screen.get();
    s.versions = versions.get();
    s.icons = icons.get();
    s.shell = shell.get();
    s.desktops = desktops.get();
    s.internet = internet.get();
    s.regional = regional.get();
    return s;
}

} // namespace menu::platform
