// Random access to the bytes of a file or of a block in memory. The readers of program files
// take their pieces through this, so that they touch only the bytes they need and a fuzzer
// can feed them memory.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace menu::formats {

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

} // namespace menu::formats
