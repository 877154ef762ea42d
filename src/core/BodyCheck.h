// What a body must be before anything uses it: not empty, not above the download cap, and of
// the length and SHA-256 the caller expects (from a signed announcement). The hash is computed
// as the body streams by, so that nothing is read twice. Each rule answers with the result the
// download ends with, or nothing while the body may still be good.
#pragma once

#include "core/Download.h"

#include <QCryptographicHash>

#include <optional>

namespace menu::core {

class BodyCheck {
  public:
    explicit BodyCheck(const DownloadOptions &options);

    // Expectations no file can meet: a length below one byte or above the cap, a hash that is
    // not 64 hex digits. Nothing is fetched then.
    std::optional<DownloadResult> refusalBefore() const;
    // The length the response announces, before its body: above the cap, or other than the
    // expected length, it ends the download at once.
    std::optional<DownloadResult> judgeAnnounced(qint64 contentLength) const;
    // A block of the body; a body that grows past the cap or the expected length ends at once.
    std::optional<DownloadResult> add(const char *data, qint64 length);
    // The body has ended.
    std::optional<DownloadResult> verdict();

    qint64 received() const { return received_; }

  private:
    qint64 maxBytes_;
    std::optional<qint64> expectedLength_;
    QString expectedSha256_; // lower case
    bool emptyAllowed_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    qint64 received_ = 0;
};

} // namespace menu::core
