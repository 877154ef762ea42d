#include "formats/VersionBlock.h"

#include "formats/ElfSection.h"
#include "formats/LittleEndian.h"
#include "formats/PeFile.h"

namespace menu::formats {

namespace {

// Version information is addressed with 16-bit lengths.
constexpr std::uint32_t kMaxBlock = 0xFFFF;
constexpr std::uint16_t kVersionResourceId = 1;

qsizetype align4(qsizetype at)
{
    return (at + 3) & ~qsizetype{3};
}

// One node of the block: a length, a value length, a type, a zero-terminated UTF-16 key, the
// value and the children, each aligned to four bytes from the start of the block.
struct Node {
    qsizetype end = 0;
    QString key;
    qsizetype valueStart = 0;
    qsizetype childrenStart = 0;
};

// Reads the UTF-16 text at from until its zero, within end; nothing without a zero.
std::optional<QString> textAt(const QByteArray &block, qsizetype from, qsizetype end,
                              qsizetype *after = nullptr)
{
    QString text;
    for (qsizetype at = from; at + 2 <= end; at += 2) {
        const std::uint16_t unit = le::u16(block, at);
        if (unit == 0) {
            if (after)
                *after = at + 2;
            return text;
        }
        text.append(QChar(unit));
    }
    return std::nullopt;
}

std::optional<Node> nodeAt(const QByteArray &block, qsizetype at, qsizetype limit)
{
    if (at < 0 || at + 6 > limit)
        return std::nullopt;
    const std::uint16_t length = le::u16(block, at);
    if (length < 6 || at + length > limit)
        return std::nullopt;
    Node node;
    node.end = at + length;
    qsizetype keyEnd = 0;
    auto key = textAt(block, at + 6, node.end, &keyEnd);
    if (!key)
        return std::nullopt;
    node.key = std::move(*key);
    node.valueStart = std::min(align4(keyEnd), node.end);
    const std::uint16_t valueLength = le::u16(block, at + 2);
    const bool text = le::u16(block, at + 4) == 1;
    const qsizetype valueBytes = text ? qsizetype{valueLength} * 2 : qsizetype{valueLength};
    node.childrenStart = std::min(align4(node.valueStart + valueBytes), node.end);
    return node;
}

// The first child of parent called key (compared without case).
std::optional<Node> childNamed(const QByteArray &block, const Node &parent, const QString &key)
{
    qsizetype at = parent.childrenStart;
    while (at < parent.end) {
        const auto child = nodeAt(block, at, parent.end);
        if (!child)
            return std::nullopt;
        if (child->key.compare(key, Qt::CaseInsensitive) == 0)
            return child;
        at = align4(child->end); // every node is at least six bytes long, so this moves on
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> versionValue(const QByteArray &block, const QString &table,
                                    const QString &key)
{
    const auto root = nodeAt(block, 0, block.size());
    if (!root)
        return std::nullopt;
    const auto strings = childNamed(block, *root, QStringLiteral("StringFileInfo"));
    if (!strings)
        return std::nullopt;
    const auto tableNode = childNamed(block, *strings, table);
    if (!tableNode)
        return std::nullopt;
    const auto value = childNamed(block, *tableNode, key);
    if (!value)
        return std::nullopt;
    // A value without its terminating zero ends with its node.
    QString text;
    for (qsizetype at = value->valueStart; at + 2 <= value->end; at += 2) {
        const std::uint16_t unit = le::u16(block, at);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

std::optional<QByteArray> findVersionBlock(const ByteSource &source)
{
    std::optional<QByteArray> block;
    if (const auto pe = PeFile::open(source)) {
        block = pe->resource(kResourceTypeVersion, kVersionResourceId, kMaxBlock);
        if (!block)
            block = pe->resource(kResourceTypeVersion, std::nullopt, kMaxBlock);
    } else {
        block = elfSection(source, kVersionSectionName, kMaxBlock);
    }
    if (!block || block->size() < 6)
        return std::nullopt;
    const std::uint16_t length = le::u16(*block, 0);
    if (length > block->size())
        return std::nullopt;
    block->truncate(length);
    if (!nodeAt(*block, 0, block->size()))
        return std::nullopt;
    return block;
}

} // namespace menu::formats
