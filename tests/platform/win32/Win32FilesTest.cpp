// The Windows side's files: errors in the project's terms, read-only files, case-blind names,
// atomic replacement, private directories and unpacking.
#include "platform/AtomicFile.h"
#include "platform/Files.h"
#include "platform/PrivateDir.h"
#include "platform/UnpackDir.h"
#include "platform/win32/WinError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <windows.h>

using menu::Failure;
using menu::test::TempDir;
namespace platform = menu::platform;

namespace {

DWORD attributes(const QString &path)
{
    return ::GetFileAttributesW(platform::win32::wide(path).c_str());
}

void setAttributes(const QString &path, DWORD add)
{
    ASSERT_TRUE(::SetFileAttributesW(platform::win32::wide(path).c_str(), attributes(path) | add));
}

} // namespace

TEST(Win32Errors, KnownCodesBecomeErrnoValuesAndOthersKeepTheSystemsWords)
{
    struct Case {
        DWORD error;
        int expected; // 0: stays a Windows code
    } const cases[] = {
        {ERROR_FILE_NOT_FOUND, ENOENT},
        {ERROR_PATH_NOT_FOUND, ENOENT},
        {ERROR_ACCESS_DENIED, EACCES},
        {ERROR_SHARING_VIOLATION, EBUSY},
        {ERROR_LOCK_VIOLATION, EBUSY},
        {ERROR_FILE_EXISTS, EEXIST},
        {ERROR_ALREADY_EXISTS, EEXIST},
        {ERROR_DISK_FULL, ENOSPC},
        {ERROR_WRITE_PROTECT, EROFS},
        {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
        {ERROR_NOT_SAME_DEVICE, EXDEV},
        {ERROR_BAD_EXE_FORMAT, ENOEXEC},
        {ERROR_DIRECTORY, ENOTDIR},
        {ERROR_NETNAME_DELETED, 0},
        {ERROR_UNABLE_TO_REMOVE_REPLACED, EBUSY},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.error);
        const Failure failure = platform::win32::failureOf(c.error, QStringLiteral("C:/x"));
        EXPECT_EQ(failure.path, QStringLiteral("C:/x"));
        if (c.expected != 0) {
            EXPECT_EQ(failure.code, std::error_code(c.expected, std::generic_category()));
        } else {
            EXPECT_EQ(failure.code.category(), std::system_category());
            EXPECT_EQ(failure.code.value(), static_cast<int>(c.error));
            EXPECT_FALSE(failure.detail.isEmpty()) << "FormatMessageW gave no words";
        }
    }
}

TEST(Win32Files, FailuresOfReadingSayWhy)
{
    TempDir dir;
    const auto missing = platform::readWholeFile(dir.file(QStringLiteral("none.ini")), 1024);
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.failure().is(std::errc::no_such_file_or_directory));
    const auto folder = platform::readWholeFile(dir.path(), 1024);
    ASSERT_FALSE(folder.ok());
    EXPECT_TRUE(folder.failure().is(std::errc::is_a_directory));
    const QString big = dir.write(QStringLiteral("big.ini"), QByteArray(2000, 'x'));
    const auto tooBig = platform::readWholeFile(big, 1000);
    ASSERT_FALSE(tooBig.ok());
    EXPECT_TRUE(tooBig.failure().is(std::errc::file_too_large));
}

TEST(Win32Files, NamesAreFoundWithoutCaseAndAsTheyAreStored)
{
    TempDir dir;
    dir.write(QStringLiteral("Príručka.PDF"), "x");
    EXPECT_EQ(platform::entryWithoutCase(dir.path(), QStringLiteral("PRÍRUČKA.pdf")),
              QStringLiteral("Príručka.PDF"));
    EXPECT_EQ(platform::entryWithoutCase(dir.path(), QStringLiteral("*.pdf")), std::nullopt);
    EXPECT_EQ(platform::entryWithoutCase(dir.path(), QStringLiteral("iná.pdf")), std::nullopt);
    EXPECT_TRUE(platform::isFile(dir.file(QStringLiteral("PRÍRUČKA.PDF"))));
    // A folder below, asked for in another case.
    dir.write(QStringLiteral("ORVAN/Tav/Tav.EXE"), "MZ");
    EXPECT_EQ(platform::entryWithoutCase(dir.file(QStringLiteral("ORVAN")), QStringLiteral("TAV"))
                  .value_or(QString())
                  .toStdString(),
              "Tav");
    EXPECT_EQ(
        platform::entryWithoutCase(dir.file(QStringLiteral("ORVAN/Tav")), QStringLiteral("tav.exe"))
            .value_or(QString())
            .toStdString(),
        "Tav.EXE");
}

TEST(Win32Files, ReadOnlyFilesAreNotReplacedAndNewFilesNeverReplace)
{
    TempDir dir;
    const QString ini = dir.write(QStringLiteral("menu.ini"), "[OPTIONS]\r\n");
    EXPECT_TRUE(platform::mayReplace(ini).ok());
    setAttributes(ini, FILE_ATTRIBUTE_READONLY);
    const menu::Status refused = platform::mayReplace(ini);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.failure().is(std::errc::permission_denied));

    const menu::Status again = platform::writeNewFile(ini, "new");
    ASSERT_FALSE(again.ok());
    EXPECT_TRUE(again.failure().is(std::errc::file_exists));
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("[OPTIONS]\r\n"));
    EXPECT_EQ(platform::directoryEntries(dir.path())->size(), 1) << "a temporary file stayed";
}

TEST(Win32Files, AtomicReplacementKeepsTheReplacedFilesAttributes)
{
    TempDir dir;
    const QString ini = dir.write(QStringLiteral("menu.ini"), "old");
    setAttributes(ini, FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(platform::replaceFileContent(ini, "new", {}).ok());
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("new"));
    EXPECT_NE(attributes(ini) & FILE_ATTRIBUTE_HIDDEN, 0u);

    platform::AtomicFile::Options plain;
    plain.keepMode = false;
    plain.durable = true;
    ASSERT_TRUE(platform::replaceFileContent(ini, "newer", plain).ok());
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("newer"));

    // Dropped without commit: the old content stays and nothing is left beside it.
    {
        auto file = platform::AtomicFile::begin(ini, {});
        ASSERT_TRUE(file.ok());
        ASSERT_TRUE(file->write(QByteArray("never")).ok());
    }
    EXPECT_EQ(dir.read(QStringLiteral("menu.ini")), QByteArray("newer"));
    EXPECT_EQ(platform::directoryEntries(dir.path())->size(), 1);
}

TEST(Win32Files, PrivateDirectoryGoesWithReadOnlyContent)
{
    TempDir parent;
    QString made;
    {
        auto dir = platform::PrivateDir::create(parent.path(), QStringLiteral("orvan-update-"));
        ASSERT_TRUE(dir.ok()) << dir.failure().detail.toStdString();
        made = dir->path();
        EXPECT_TRUE(platform::isDirectory(made));
        ASSERT_TRUE(platform::makeDirectories(made + QStringLiteral("/ORVAN-INSTAL/sub")).ok());
        const QString setup = made + QStringLiteral("/ORVAN-INSTAL/setup.exe");
        ASSERT_TRUE(platform::writeNewFile(setup, "MZ").ok());
        setAttributes(setup, FILE_ATTRIBUTE_READONLY);
    }
    EXPECT_FALSE(platform::exists(made));
    EXPECT_TRUE(platform::temporaryDirectory().size() > 3);
    EXPECT_FALSE(platform::temporaryDirectory().endsWith(u'/'));
}

TEST(Win32Files, UnpackingReplacesReadOnlyFilesAndMarksThemReadOnly)
{
    TempDir dir;
    auto unpack = platform::UnpackDir::open(dir.path());
    ASSERT_TRUE(unpack.ok());
    ASSERT_TRUE(unpack->makeDirs({QStringLiteral("docs")}).ok());
    const platform::StoredAttributes readOnly{0444u, false};
    for (const char *content : {"first", "second"}) {
        auto file = unpack->createFile({QStringLiteral("docs"), QStringLiteral("readme.txt")});
        ASSERT_TRUE(file.ok()) << file.failure().code.message();
        ASSERT_TRUE(file->write(content, static_cast<qint64>(std::strlen(content))).ok());
        ASSERT_TRUE(file->applyAttributes(readOnly).ok());
        ASSERT_TRUE(file->close(true).ok());
    }
    EXPECT_EQ(dir.read(QStringLiteral("docs/readme.txt")), QByteArray("second"));
    EXPECT_NE(attributes(dir.file(QStringLiteral("docs/readme.txt"))) & FILE_ATTRIBUTE_READONLY,
              0u);
    auto onFolder = unpack->createFile({QStringLiteral("docs")});
    ASSERT_FALSE(onFolder.ok());
    EXPECT_TRUE(onFolder.failure().is(std::errc::is_a_directory));
    ::SetFileAttributesW(platform::win32::wide(dir.file(QStringLiteral("docs/readme.txt"))).c_str(),
                         FILE_ATTRIBUTE_NORMAL); // QTemporaryDir removes only writable files
}
