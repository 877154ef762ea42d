// Where the launcher looks for news and packages: the update address, compiled in with the CMake
// cache variable MENU_UPDATE_ADDRESS, a host name followed by a path, with "https://" (the
// certificate is then verified) or "http://" in front, or without a scheme for plain HTTP.
// Until the vendor names its server the host is a reserved name under .example, so that no
// stranger's server is ever contacted. The address is handed to whoever fetches: the program's
// start may put another host in (the demo, tests against a local server), menu-doctor its own.
#pragma once

#include <QString>

namespace menu::core {

// The compiled-in update address, without a trailing "/" ("update.orvan.example/ORVANWIN"
// unless the build says otherwise).
QString compiledUpdateAddress();

// address with its host part (everything before the first "/" after an optional scheme)
// replaced by host (with a port, if it carries one) when that is not empty.
QString withUpdateHost(const QString &address, const QString &host);

// The update-information document (an INI text) under an update address.
QString updateInfoUrl(const QString &updateAddress);

// The package directory under an update address; a package's address is this followed by its
// file name.
QString packageFilesUrl(const QString &updateAddress);

} // namespace menu::core
