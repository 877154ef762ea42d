// The proxy of one transfer: the system's choice (platform/Proxy.h) set on a libcurl handle,
// and what a failed transfer's proxy said. Every transfer of the launcher goes through these,
// so that the update check, the update dialog, Team Viewer's download and menu-doctor reach the
// internet the same way.
#pragma once

#include "core/Download.h"
#include "platform/Proxy.h"

#include <QByteArray>
#include <curl/curl.h>
#include <optional>

namespace menu::core {

// Sets handle up for choice: the environment's variables are left to libcurl, which reads
// them itself; a proxy of the system's settings is set with no exceptions of the environment
// beside it; no proxy is no proxy. Credentials in the proxy's address answer any kind of
// request for them; without them, where the choice says so, the user's logon does.
void useProxy(CURL *handle, const platform::ProxyChoice &choice);
// The same with the system's choice for url.
void useProxy(CURL *handle, const QByteArray &url);

// When the transfer on handle ended with result because of its proxy: the proxy answered the
// tunnel's CONNECT (or a plain request) with 407 and wants credentials, or refused the tunnel
// or could not be reached. Nothing when the proxy was not what failed.
std::optional<DownloadResult> proxyFailure(CURL *handle, CURLcode result);

} // namespace menu::core
