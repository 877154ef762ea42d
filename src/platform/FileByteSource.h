// The bytes of a file for the readers of program files, which walk their headers and
// directories in many small pieces that mostly lie close together.
#pragma once

#include "formats/ByteSource.h"
#include "platform/Files.h"

#include <array>
#include <memory>

namespace menu::platform {

// A regular file opened for reading, nothing mapped. Readers of program files walk their
// headers and directories in many small pieces that mostly lie close together, so pieces are
// fetched in whole pages and the last few pages are kept; larger pieces are read directly.
class FileByteSource final : public formats::ByteSource {
  public:
    // Nothing when the path is not a regular file that can be opened for reading.
    static std::unique_ptr<FileByteSource> open(const QString &path);
    FileByteSource(const FileByteSource &) = delete;
    FileByteSource &operator=(const FileByteSource &) = delete;

    std::uint64_t size() const override { return size_; }
    std::optional<QByteArray> read(std::uint64_t offset, std::size_t length) const override;
    // How many bytes all reads so far have fetched from the file.
    std::uint64_t bytesRead() const { return bytesRead_; }

    static constexpr std::uint64_t kPageSize = 4096;
    static constexpr std::size_t kPagesKept = 4;

  private:
    struct Page {
        std::uint64_t index = 0;
        std::uint64_t lastUse = 0; // 0: empty
        QByteArray bytes;
    };

    explicit FileByteSource(ReadOnlyFile file) : file_(std::move(file)), size_(file_.size()) {}
    bool readExactly(char *into, std::uint64_t offset, std::size_t length) const;
    const Page *page(std::uint64_t index) const;

    ReadOnlyFile file_;
    std::uint64_t size_;
    mutable std::uint64_t bytesRead_ = 0;
    mutable std::array<Page, kPagesKept> pages_;
    mutable std::uint64_t uses_ = 0;
};

} // namespace menu::platform
