// Why a transfer got no answer it could use, from what libcurl reports: one kind each, with its
// own text, and libcurl's words at the end of the hint for the tooltip and menu-doctor.
#pragma once

#include "core/Download.h"

#include <curl/curl.h>

namespace menu::core {

struct NoAnswer {
    CURLcode result = CURLE_OK;
    long status = 0;        // the response's status; 0 without one
    long connectStatus = 0; // a proxy's answer to the tunnel's CONNECT; 0 without one
    bool viaProxy = false;  // the handle was given a proxy
    QString host;           // the server's name as the address gives it
    QString reason;         // libcurl's words, or the launcher's for a wait it ended
};

DownloadResult failureOf(const NoAnswer &answer);

// libcurl's words for a failure: its error buffer, else its text for the code. The buffer's
// system messages (TLS on Windows) are in the code page the C library converts to there.
QString curlReason(const char *errorBuffer, CURLcode result);

} // namespace menu::core
