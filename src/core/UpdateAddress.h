// Where the launcher looks for news and packages. Addresses are written as host name followed
// by path, without a scheme. Until the vendor names its server the host is a reserved name
// under .example, so that no stranger's server is ever contacted; ORVAN_UPDATE_HOST replaces
// the host (with a port, if it carries one) for the demo and for tests against a local server.
#pragma once

#include <QString>

namespace menu::core {

// The compiled-in addresses, before the host is replaced.
inline constexpr char kUpdateHost[] = "update.orvan.example";
inline constexpr char kUpdateInfoAddress[] = "update.orvan.example/ORVANWIN/orvan_akt.ini";
inline constexpr char kPackageFilesAddress[] = "update.orvan.example/ORVANWIN/FILES/";

// address with its host part (everything before the first "/" after an optional scheme)
// replaced by the value of ORVAN_UPDATE_HOST when that is set and not empty.
QString withUpdateHost(const QString &address);

// The update-information document (an INI text).
QString updateInfoUrl();

// The package directory; a package's address is this followed by its file name.
QString packageFilesUrl();

} // namespace menu::core
