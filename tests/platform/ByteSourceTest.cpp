#include "formats/ByteSource.h"
#include "platform/FileByteSource.h"

#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

using menu::formats::MemoryByteSource;
using menu::platform::FileByteSource;

// Pieces served from kept pages must be the file's bytes wherever they start and end: across
// page borders, at the short last page, after other pages pushed them out.
TEST(ByteSource, FilePiecesEqualTheBytesAtTheirPlace)
{
    menu::test::TempDir dir;
    QByteArray bytes(5 * FileByteSource::kPageSize + 123, Qt::Uninitialized);
    std::mt19937 random(7);
    for (char &byte : bytes)
        byte = static_cast<char>(random());
    const QString path = dir.write(QStringLiteral("program.exe"), bytes);
    const auto file = FileByteSource::open(path);
    ASSERT_TRUE(file);
    const MemoryByteSource memory(bytes);
    ASSERT_EQ(file->size(), memory.size());

    const std::uint64_t size = file->size();
    const std::uint64_t page = FileByteSource::kPageSize;
    const std::vector<std::pair<std::uint64_t, std::size_t>> pieces = {
        {0, 64},
        {page - 8, 16},
        {size - 10, 10},
        {size, 0},
        {size - 1, 2},
        {0, size},
        {page, page},
        {3 * page - 1, page + 2},
        {size + 1, 0},
        {page * 4, 200},
        {8, 4},
        {page * 2 + 5, 3 * page},
        {size - page - 3, page + 3},
    };
    for (const auto &[offset, length] : pieces) {
        SCOPED_TRACE(testing::Message() << offset << "+" << length);
        EXPECT_EQ(file->read(offset, length), memory.read(offset, length));
    }
    std::uniform_int_distribution<std::uint64_t> at(0, size);
    for (int i = 0; i < 2000; ++i) {
        const std::uint64_t offset = at(random);
        const auto length = static_cast<std::size_t>(at(random) % 600);
        ASSERT_EQ(file->read(offset, length), memory.read(offset, length))
            << offset << "+" << length;
    }
    EXPECT_LE(file->bytesRead(), 2 * size + 2000 * page);
}

TEST(ByteSource, AFileThatShrankGivesNothingInsteadOfStaleBytes)
{
    menu::test::TempDir dir;
    const QString path = dir.write(QStringLiteral("program.exe"), QByteArray(3 * 4096, 'x'));
    const auto file = FileByteSource::open(path);
    ASSERT_TRUE(file);
    ASSERT_TRUE(QFile::resize(path, 100));
    EXPECT_FALSE(file->read(2 * 4096, 16).has_value());
    EXPECT_EQ(file->read(0, 16), QByteArray(16, 'x'));
}
