// The proxy of one transfer: the system's choice (platform/Proxy.h) set on a libcurl handle,
// and what a failed transfer's proxy said. Every transfer of the launcher goes through these,
// so that the update check, the update dialog, Team Viewer's download and menu-doctor reach the
// internet the same way.
#pragma once

#include "platform/Proxy.h"

#include <QByteArray>
#include <curl/curl.h>

namespace menu::core {

// Sets handle up for choice: the environment's variables are left to libcurl, which reads
// them itself; a proxy of the system's settings is set with no exceptions of the environment
// beside it; no proxy is no proxy. Credentials in the proxy's address answer any kind of
// request for them; without them, where the choice says so, the user's logon does.
void useProxy(CURL *handle, const platform::ProxyChoice &choice);
// The same with the system's choice for url; true when that names a proxy.
bool useProxy(CURL *handle, const QByteArray &url);

} // namespace menu::core
