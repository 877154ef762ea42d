// What a cut download brought, kept in the user's own folder so that a later try asks the
// server only for the rest: "<key>.part" holds the bytes, "<key>.validator" the ETag or
// Last-Modified of the answer they came from. The key stands for the address and the file's
// announced length and SHA-256, so kept bytes only ever continue the same file, and the hash,
// which covers the whole file, tells whether the pieces fit.
#pragma once

#include "core/Download.h"
#include "platform/GrowingFile.h"

#include <QString>

#include <optional>

namespace menu::core {

// The folder for kept downloads in the user's cache directory; empty when there is none.
QString keptDownloadsDir(const QString &cacheDir);

class PartialFile final : public BodySink {
  public:
    // Nothing when options keep nothing: no folder, or no SHA-256 to check the whole by. Parts
    // in the folder untouched for a week are removed on the way.
    static std::optional<PartialFile> of(const QString &url, const DownloadOptions &options);

    // Where the next try may go on from; offset 0 when nothing usable is kept.
    ResumePoint resumePoint() const;

    bool begin(qint64 offset, const QByteArray &validator,
               const std::function<bool(const char *, qint64)> &kept) override;
    bool write(const char *data, qint64 length) override;
    QString error() const override { return error_; }

    // Ends this try's writing. What arrived of a failed try stays for the next one when the
    // answer named its version; without a validator nothing could continue it, and it goes.
    void endTry(bool whole);
    // Hands the whole kept file to sink, block by block.
    bool copyTo(BodySink &sink);
    // Forgets what is kept.
    void discard();

  private:
    PartialFile(const QString &dir, const QString &key);

    QString partPath_;
    QString validatorPath_;
    std::optional<platform::GrowingFile> file_; // open from begin() to endTry()
    bool unnamed_ = false;                      // this try's answer named no version of its file
    QString error_;
};

} // namespace menu::core
