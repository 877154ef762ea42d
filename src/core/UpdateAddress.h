// Where the launcher looks for news and packages: the update address, compiled in with the CMake
// cache variable MENU_UPDATE_ADDRESS, a host name followed by a path, with "https://" (the
// certificate is then verified) or "http://" in front, or without a scheme for plain HTTP.
// Until the vendor names its server the host is a reserved name under .example, so that no
// stranger's server is ever contacted; ORVAN_UPDATE_HOST replaces the host (with a port, if it
// carries one) for the demo and for tests against a local server.
#pragma once

#include <QString>

namespace menu::core {

// The compiled-in update address, before the host is replaced, without a trailing "/"
// ("update.orvan.example/ORVANWIN" unless the build says otherwise).
QString compiledUpdateAddress();

// address with its host part (everything before the first "/" after an optional scheme)
// replaced by the value of ORVAN_UPDATE_HOST when that is set and not empty.
QString withUpdateHost(const QString &address);

// The update-information document (an INI text).
QString updateInfoUrl();

// The package directory; a package's address is this followed by its file name.
QString packageFilesUrl();

} // namespace menu::core
