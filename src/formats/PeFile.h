// The resources of a Windows program file (PE32 or PE32+), read piece by piece from a byte
// source. Every offset, count and size found in the file is checked before it is used: a
// malformed file simply has no resources.
#pragma once

#include "formats/ByteSource.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace menu::formats {

// Resource type numbers of the resource directory.
inline constexpr std::uint16_t kResourceTypeIcon = 3;
inline constexpr std::uint16_t kResourceTypeGroupIcon = 14;
inline constexpr std::uint16_t kResourceTypeVersion = 16;

// The largest resource the readers fetch; a larger one counts as damage.
inline constexpr std::uint32_t kMaxResourceBytes = 4u * 1024u * 1024u;

class PeFile {
  public:
    // Checks the headers; nothing when the source is not a PE32 or PE32+ image.
    static std::optional<PeFile> open(const ByteSource &source);

    bool is64() const { return is64_; }
    bool hasResources() const { return resourceRva_ != 0 && resourceSize_ != 0; }

    // The data of a resource of the type: the one with the number id, or without id the first
    // one in the directory (named entries come first, as the system orders them); of its
    // languages the first. At most maxBytes of it. Nothing when there is none or it is damaged.
    std::optional<QByteArray> resource(std::uint16_t type, std::optional<std::uint16_t> id,
                                       std::uint32_t maxBytes = kMaxResourceBytes) const;

  private:
    struct Section {
        std::uint32_t virtualAddress;
        std::uint32_t virtualSize;
        std::uint32_t rawSize;
        std::uint32_t rawOffset;
    };
    struct Entry {
        std::uint32_t name;   // number, or string offset with the high bit set
        std::uint32_t target; // data entry, or subdirectory with the high bit set
    };

    explicit PeFile(const ByteSource &source) : source_(&source) {}
    // The file offset of length bytes at rva, when they all lie in one section's file data.
    std::optional<std::uint64_t> fileOffset(std::uint32_t rva, std::uint32_t length) const;
    // The bytes at an offset inside the resource directory.
    std::optional<QByteArray> readResource(std::uint32_t offset, std::uint32_t length) const;
    std::optional<std::vector<Entry>> directory(std::uint32_t offset) const;

    const ByteSource *source_;
    bool is64_ = false;
    std::vector<Section> sections_;
    std::uint32_t resourceRva_ = 0;
    std::uint32_t resourceSize_ = 0;
};

} // namespace menu::formats
