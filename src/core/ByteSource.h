// Random access to the bytes of a file or of a block in memory. The readers of program files
// take their pieces through this, so that they touch only the bytes they need and a fuzzer
// can feed them memory.
#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace menu::core {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Exactly length bytes from offset, or nothing when they are not all there.
    virtual std::optional<QByteArray> read(std::uint64_t offset, std::size_t length) const = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(QByteArray bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return static_cast<std::uint64_t>(bytes_.size()); }
    std::optional<QByteArray> read(std::uint64_t offset, std::size_t length) const override;

private:
    QByteArray bytes_;
};

// A regular file opened for reading, nothing mapped. Readers of program files walk their
// headers and directories in many small pieces that mostly lie close together, so pieces are
// fetched in whole pages and the last few pages are kept; larger pieces are read directly.
class FileByteSource final : public ByteSource {
public:
    // Nothing when the path is not a regular file that can be opened for reading.
    static std::unique_ptr<FileByteSource> open(const QString &path);
    ~FileByteSource() override;
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

    FileByteSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    bool readExactly(char *into, std::uint64_t offset, std::size_t length) const;
    const Page *page(std::uint64_t index) const;

    int fd_;
    std::uint64_t size_;
    mutable std::uint64_t bytesRead_ = 0;
    mutable std::array<Page, kPagesKept> pages_;
    mutable std::uint64_t uses_ = 0;
};

} // namespace menu::core
