#include "core/ZipReader.h"

#include "support/ZipTestArchives.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using menu::core::ZipReader;

namespace {

TEST(ZipReader, EntriesAndBlocksFromMemory)
{
    menu::test::TempDir tmp;
    menu::test::ZipWriter zip(tmp.file("a.zip"));
    zip.addDir("docs/");
    zip.add("docs/big.bin", QByteArray(200000, 'q'));
    ASSERT_TRUE(zip.close());

    ZipReader reader;
    QString error;
    ASSERT_TRUE(reader.openArchive(tmp.read("a.zip"), error)) << error.toStdString();
    EXPECT_TRUE(reader.active());
    ASSERT_EQ(reader.count(), 2);
    const auto dir = reader.entry(0, error);
    ASSERT_TRUE(dir);
    EXPECT_TRUE(dir->isDirectory);
    const auto file = reader.entry(1, error);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->name, QStringLiteral("docs/big.bin"));
    EXPECT_EQ(file->size, 200000u);
    EXPECT_FALSE(reader.entry(2, error));

    auto data = reader.openEntry(*file, error);
    ASSERT_TRUE(data);
    char block[4096];
    qint64 total = 0;
    qint64 got = 0;
    using Status = ZipReader::EntryData::Status;
    Status status;
    while ((status = data->read(block, sizeof block, got)) == Status::Data) {
        EXPECT_LE(got, qint64(sizeof block));
        total += got;
    }
    EXPECT_EQ(status, Status::End);
    EXPECT_EQ(total, 200000);
    data.reset();
    reader.closeArchive();
    EXPECT_FALSE(reader.active());

    EXPECT_FALSE(reader.openArchive(QByteArray("PK\x05\x06 not really"), error));
    EXPECT_FALSE(reader.active());
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
