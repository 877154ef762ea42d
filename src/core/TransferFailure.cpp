#include "core/TransferFailure.h"

#include "core/DownloadTexts.h"
#include "core/UpdateTexts.h"
#include "platform/LibraryText.h"

namespace menu::core {

namespace {

// The certificate was checked and not trusted: its issuer unknown, its name another, ...
bool isCertificateError(CURLcode code)
{
    return code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CACERT_BADFILE ||
           code == CURLE_SSL_ISSUER_ERROR || code == CURLE_SSL_PINNEDPUBKEYNOTMATCH ||
           code == CURLE_SSL_INVALIDCERTSTATUS;
}

// Nothing came back from the other end: refused, reset, or silent past the wait limit.
bool isUnreachable(CURLcode code)
{
    return code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT ||
           code == CURLE_ABORTED_BY_CALLBACK || code == CURLE_GOT_NOTHING ||
           code == CURLE_SEND_ERROR || code == CURLE_RECV_ERROR;
}

} // namespace

DownloadResult failureOf(const NoAnswer &answer)
{
    const QString &reason = answer.reason;
    // Some proxies answer a tunnel's wrong credentials with 401.
    if (answer.status == 407 || answer.connectStatus == 407 || answer.connectStatus == 401)
        return DownloadResult::failure(FailureKind::ProxyCredentials,
                                       texts::proxyWantsCredentials(),
                                       texts::proxyWantsCredentialsHint(reason));
    const bool tunnelRefused =
        answer.connectStatus != 0 && (answer.connectStatus < 200 || answer.connectStatus > 299);
    if (tunnelRefused || answer.result == CURLE_COULDNT_RESOLVE_PROXY ||
        (answer.viaProxy && isUnreachable(answer.result)))
        return DownloadResult::failure(FailureKind::ProxyRefused, texts::proxyRefused(),
                                       texts::proxyRefusedHint(reason));
    if (answer.result == CURLE_COULDNT_RESOLVE_HOST)
        return DownloadResult::failure(FailureKind::NameNotResolved,
                                       texts::nameNotResolved(answer.host),
                                       texts::nameNotResolvedHint(answer.host, reason));
    if (isCertificateError(answer.result))
        return DownloadResult::failure(FailureKind::CertificateUntrusted,
                                       texts::certificateRejected(),
                                       texts::certificateRejectedHint(reason));
    if (answer.result == CURLE_SSL_CONNECT_ERROR)
        return DownloadResult::failure(FailureKind::SecureConnection,
                                       texts::secureConnectionFailed(),
                                       texts::secureConnectionFailedHint(reason));
    if (isUnreachable(answer.result))
        return DownloadResult::failure(FailureKind::ServerUnreachable, texts::httpResult(500),
                                       texts::serverUnreachableHint(reason));
    // An address libcurl does not take (another scheme, ...): the old text, with its words.
    return DownloadResult::failure(FailureKind::Other, texts::httpResult(500),
                                   texts::httpResult(500) + QStringLiteral("\r\r") + reason);
}

QString curlReason(const char *errorBuffer, CURLcode result)
{
    return errorBuffer[0] != '\0' ? platform::libraryText(errorBuffer)
                                  : QString::fromUtf8(curl_easy_strerror(result));
}

} // namespace menu::core
