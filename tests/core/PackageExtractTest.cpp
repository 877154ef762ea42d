#include "core/PackageExtract.h"

#include "formats/TextCodec.h"
#include "support/TempDir.h"
#include "support/ZipTestArchives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>

using menu::core::DecompOutcome;
using menu::core::DecompResult;
using menu::test::TempDir;
using menu::test::ZipWriter;

namespace {

const QString kReadError = QStringLiteral("Prerušenie ! Chyba pri dekomprimácii !");

mode_t modeOf(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode;
}

// The unpacking as the dialog's caller sees it, for an archive file in the temporary dir.
DecompResult unpack(const QString &archive)
{
    menu::core::ZipReader reader;
    DecompResult result = menu::core::unpackPackage(archive, reader);
    EXPECT_FALSE(reader.active());
    return result;
}

TEST(PackageExtract, PathsBesideTheArchive)
{
    EXPECT_EQ(menu::core::unpackDirOf("/tmp/orvan_update.zip"), "/tmp/ORVAN-INSTAL");
    EXPECT_EQ(menu::core::installerPathOf("/tmp/orvan_update.zip"), "/tmp/ORVAN-INSTAL/setup.exe");
    EXPECT_EQ(menu::core::unpackDirOf("C:\\Temp\\orvan_update.zip"), "C:\\Temp\\ORVAN-INSTAL");
}

TEST(PackageExtract, EntryTargetPaths)
{
    struct Case {
        const char *name;
        std::optional<QStringList> target;
    };
    const Case cases[] = {
        {"setup.exe", QStringList{"setup.exe"}},
        {"docs/a/b.txt", QStringList{"docs", "a", "b.txt"}},
        {"./docs//b.txt", QStringList{"docs", "b.txt"}},
        {"docs\\b.txt", QStringList{"docs", "b.txt"}},
        {"..foo/bar..", QStringList{"..foo", "bar.."}},
        {"./", QStringList{}},
        {"../evil", std::nullopt},
        {"/abs", std::nullopt},
        {"C:\\x", std::nullopt},
        {"C:x", std::nullopt},
        {"a\\..\\..\\b", std::nullopt},
        {"ok/../../x", std::nullopt},
        {"\\\\server\\share\\x", std::nullopt},
        {"setup.exe:stream", std::nullopt},
    };
    for (const Case &c : cases) {
        QString error;
        EXPECT_EQ(menu::core::entryTargetPath(QString::fromUtf8(c.name), error), c.target)
            << c.name;
        EXPECT_EQ(error.isEmpty(), c.target.has_value()) << c.name;
    }
}

// An archive the way a maintainer makes it with the zip tool: folders, a script with its
// run bit, a read-only file, deflated and stored entries.
TEST(PackageExtract, ZipToolArchiveUnpacksWithFoldersAndPermissions)
{
    TempDir tmp;
    const QByteArray setup = QByteArray("MZ installer ").repeated(500);
    tmp.write("pkg/setup.exe", setup);
    tmp.write("pkg/install.sh", "#!/bin/sh\necho ok\n");
    tmp.write("pkg/docs/readme.txt", "precitaj ma");
    tmp.write("pkg/docs/deep/er/data.bin", QByteArray(3000, 'x'));
    tmp.write("pkg/stored.dat", "stored as is");
    ::chmod(QFile::encodeName(tmp.file("pkg/install.sh")).constData(), 0755);
    ::chmod(QFile::encodeName(tmp.file("pkg/docs/readme.txt")).constData(), 0444);
    const QString pkg = tmp.file("pkg");
    const QString archive = tmp.file("orvan_update.zip");
    ASSERT_TRUE(menu::test::runZipTool(pkg, {"-r", archive, "setup.exe", "install.sh", "docs"}));
    ASSERT_TRUE(menu::test::runZipTool(pkg, {"-0", archive, "stored.dat"}));

    const DecompResult result = unpack(archive);
    ASSERT_EQ(result.outcome, DecompOutcome::Unpacked) << result.errorText.toStdString();
    EXPECT_TRUE(result.boxText.isEmpty());
    EXPECT_EQ(result.note, "Dekomprimácia súborov úspešná ...");
    EXPECT_FALSE(result.noteRed);
    EXPECT_EQ(result.unpackDir, tmp.file("ORVAN-INSTAL"));
    for (const char *file :
         {"setup.exe", "install.sh", "docs/readme.txt", "docs/deep/er/data.bin", "stored.dat"}) {
        EXPECT_TRUE(result.written.contains(file)) << file;
        EXPECT_EQ(tmp.read(QStringLiteral("ORVAN-INSTAL/") + file),
                  tmp.read(QStringLiteral("pkg/") + file))
            << file;
    }
    EXPECT_EQ(modeOf(tmp.file("ORVAN-INSTAL/install.sh")) & 0777, 0755u);
    EXPECT_EQ(modeOf(tmp.file("ORVAN-INSTAL/docs/readme.txt")) & 0222, 0u);
    EXPECT_TRUE(S_ISDIR(modeOf(tmp.file("ORVAN-INSTAL/docs/deep/er"))));

    // A second run over the same directory replaces everything, the read-only file too.
    const DecompResult again = unpack(archive);
    EXPECT_EQ(again.outcome, DecompOutcome::Unpacked) << again.errorText.toStdString();
}

TEST(PackageExtract, ExistingFilesAreReplacedEvenReadOnlyOrLinks)
{
    TempDir tmp;
    tmp.write("outside.txt", "keep me");
    tmp.write("ORVAN-INSTAL/setup.exe", "old installer");
    ::chmod(QFile::encodeName(tmp.file("ORVAN-INSTAL/setup.exe")).constData(), 0444);
    ASSERT_TRUE(QFile::link(tmp.file("outside.txt"), tmp.file("ORVAN-INSTAL/notes.txt")));

    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.add("setup.exe", "new installer");
    zip.add("notes.txt", "new notes");
    ASSERT_TRUE(zip.close());

    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(result.outcome, DecompOutcome::Unpacked) << result.errorText.toStdString();
    EXPECT_EQ(tmp.read("ORVAN-INSTAL/setup.exe"), "new installer");
    EXPECT_EQ(tmp.read("ORVAN-INSTAL/notes.txt"), "new notes");
    EXPECT_TRUE(S_ISREG(modeOf(tmp.file("ORVAN-INSTAL/notes.txt"))));
    EXPECT_EQ(tmp.read("outside.txt"), "keep me");
}

TEST(PackageExtract, NamesWithoutTheUtf8FlagAreReadInCodePage852)
{
    TempDir tmp;
    const QString slovak = QStringLiteral("Návod čítaj ďalej.txt");
    const QByteArray cp852("N\xA0vod \x9F\xA1taj \xD4"
                           "alej.txt");

    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.add(cp852, "oem"); // DOS name, no flag
    zip.add("utf8/" + slovak.toUtf8(), "utf8", ZipWriter::Method::Store, ZipWriter::Name::Utf8);
    zip.add("setup.exe", "MZ");
    ASSERT_TRUE(zip.close());

    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(result.outcome, DecompOutcome::Unpacked) << result.errorText.toStdString();
    EXPECT_EQ(tmp.read("ORVAN-INSTAL/" + slovak), "oem");
    EXPECT_EQ(tmp.read("ORVAN-INSTAL/utf8/" + slovak), "utf8");
}

// The zip tool here stores the bytes of a UTF-8 file system without the flag; with the flag
// set they are UTF-8, without it they are read as DOS characters, as the format says.
TEST(PackageExtract, ZipToolNamesFollowTheUtf8Flag)
{
    TempDir tmp;
    const QString slovak = QStringLiteral("Účtovníctvo.txt");
    tmp.write("pkg/" + slovak, "u");
    ASSERT_TRUE(menu::test::runZipTool(tmp.file("pkg"), {tmp.file("plain.zip"), slovak}));
    QByteArray bytes = tmp.read("plain.zip");

    for (const bool flagged : {true, false}) {
        TempDir work;
        menu::test::setUtf8Flag(bytes, flagged);
        work.write("orvan_update.zip", bytes);
        const DecompResult result = unpack(work.file("orvan_update.zip"));
        const QString expected =
            flagged
                ? slovak
                : menu::formats::decodeCodePage(menu::formats::CodePage::Cp852, slovak.toUtf8());
        ASSERT_EQ(result.written, QStringList{expected}) << flagged;
        EXPECT_EQ(work.read("ORVAN-INSTAL/" + expected), "u");
        EXPECT_EQ(result.outcome, DecompOutcome::InstallerMissing);
    }
}

TEST(PackageExtract, EntriesLeavingTheDirectoryRefuseTheWholeArchive)
{
    for (const char *evil : {"../evil", "/abs", "C:\\x", "a\\..\\..\\b", "sub/../../evil"}) {
        TempDir tmp;
        ZipWriter zip(tmp.file("orvan_update.zip"));
        zip.add("setup.exe", "MZ");
        zip.add(evil, "boom", ZipWriter::Method::Store);
        ASSERT_TRUE(zip.close());

        const DecompResult result = unpack(tmp.file("orvan_update.zip"));
        EXPECT_EQ(result.outcome, DecompOutcome::ExtractionFailed) << evil;
        EXPECT_EQ(result.boxText, QStringLiteral("POZOR !\rSúbor ") + evil +
                                      " z archívu by sa zapísal mimo adresára rozbalenia !");
        EXPECT_EQ(result.note, kReadError);
        EXPECT_TRUE(result.written.isEmpty()) << evil;
        EXPECT_EQ(QDir(tmp.file("ORVAN-INSTAL")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList{});
        EXPECT_EQ(QDir(tmp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  (QStringList{"ORVAN-INSTAL", "orvan_update.zip"}));
        EXPECT_FALSE(QFileInfo::exists("/abs"));
    }
}

// Links planted in the unpacking directory (it lies in a shared temporary directory) are
// never followed: nothing reaches the folder they point to.
TEST(PackageExtract, LinksInTheUnpackingDirectoryAreNotFollowed)
{
    TempDir tmp;
    QDir().mkpath(tmp.file("elsewhere"));
    QDir().mkpath(tmp.file("ORVAN-INSTAL"));
    ASSERT_TRUE(QFile::link(tmp.file("elsewhere"), tmp.file("ORVAN-INSTAL/docs")));
    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.add("setup.exe", "MZ");
    zip.add("docs/a.txt", "a");
    ASSERT_TRUE(zip.close());

    const DecompResult inner = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(inner.outcome, DecompOutcome::ExtractionFailed);
    EXPECT_EQ(inner.boxText,
              "POZOR !\rAdresár " + tmp.file("ORVAN-INSTAL/docs") + " nie je adresár !");
    EXPECT_TRUE(QDir(tmp.file("elsewhere")).isEmpty());

    ASSERT_TRUE(QDir(tmp.file("ORVAN-INSTAL")).removeRecursively());
    ASSERT_TRUE(QFile::link(tmp.file("elsewhere"), tmp.file("ORVAN-INSTAL")));
    EXPECT_EQ(unpack(tmp.file("orvan_update.zip")).outcome, DecompOutcome::ExtractionFailed);
    EXPECT_TRUE(QDir(tmp.file("elsewhere")).isEmpty());
}

TEST(PackageExtract, EncryptedEntryIsAnError)
{
    TempDir tmp;
    tmp.write("pkg/setup.exe", "MZ");
    ASSERT_TRUE(menu::test::runZipTool(tmp.file("pkg"),
                                       {"-P", "tajne", tmp.file("orvan_update.zip"), "setup.exe"}));
    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(result.outcome, DecompOutcome::ExtractionFailed);
    EXPECT_EQ(result.boxText, "POZOR !\rSúbor setup.exe v archíve je zašifrovaný !");
    EXPECT_FALSE(QFileInfo::exists(tmp.file("ORVAN-INSTAL/setup.exe")));
}

TEST(PackageExtract, SymbolicLinkEntryBecomesAPlainFileWithTheLinkText)
{
    TempDir tmp;
    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.add("setup.exe", "MZ");
    const qint64 link = zip.add("passwd", "/etc/passwd", ZipWriter::Method::Store);
    zip.setUnixMode(link, 0120777);
    ASSERT_TRUE(zip.close());

    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(result.outcome, DecompOutcome::Unpacked) << result.errorText.toStdString();
    const mode_t mode = modeOf(tmp.file("ORVAN-INSTAL/passwd"));
    EXPECT_TRUE(S_ISREG(mode));
    EXPECT_EQ(mode & 0111, 0u);
    EXPECT_EQ(tmp.read("ORVAN-INSTAL/passwd"), "/etc/passwd");
}

TEST(PackageExtract, DosReadOnlyAttributeRemovesWritePermission)
{
    TempDir tmp;
    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.setDosAttributes(zip.add("setup.exe", "MZ"), 0x21); // read-only, archive
    zip.setDosAttributes(zip.add("plain.txt", "x"), 0x20);
    ASSERT_TRUE(zip.close());

    EXPECT_TRUE(unpack(tmp.file("orvan_update.zip")).ok());
    EXPECT_EQ(modeOf(tmp.file("ORVAN-INSTAL/setup.exe")) & 0222, 0u);
    EXPECT_NE(modeOf(tmp.file("ORVAN-INSTAL/plain.txt")) & 0200, 0u);
}

TEST(PackageExtract, StaleInstallerFromAnEarlierUpdateDoesNotPass)
{
    TempDir tmp;
    tmp.write("ORVAN-INSTAL/setup.exe", "old installer");
    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.add("readme.txt", "no installer here");
    zip.add("sub/setup.exe", "not at the top");
    ASSERT_TRUE(zip.close());

    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(result.outcome, DecompOutcome::InstallerMissing);
    EXPECT_EQ(result.boxText, "POZOR !\rRozpakovaný súbor setup.exe nenájdený !");
    EXPECT_EQ(result.note, "Prerušenie ! Rozpakovaný súbor setup.exe nenájdený !");
    EXPECT_TRUE(result.noteRed);
    EXPECT_EQ(result.written, (QStringList{"readme.txt", "sub/setup.exe"}));
    EXPECT_EQ(tmp.read("ORVAN-INSTAL/setup.exe"), "old installer"); // left in place
}

// A damaged entry is still written and the rest goes on, but the package is not reported
// as unpacked: its installer must not be started.
TEST(PackageExtract, TheInstallerIsFoundWhateverItsCase)
{
    for (const char *name : {"SETUP.EXE", "Setup.exe"}) {
        TempDir tmp;
        ZipWriter zip(tmp.file("orvan_update.zip"));
        zip.add(name, "MZ");
        ASSERT_TRUE(zip.close());
        EXPECT_TRUE(unpack(tmp.file("orvan_update.zip")).ok()) << name;
        EXPECT_EQ(menu::core::installerPathOf(tmp.file("orvan_update.zip")),
                  tmp.file(QStringLiteral("ORVAN-INSTAL/") + QLatin1String(name)));
    }
}

TEST(PackageExtract, EntryFailingItsChecksumIsWrittenButFailsTheImport)
{
    TempDir tmp;
    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.add("setup.exe", "GOOD INSTALLER DATA", ZipWriter::Method::Store);
    zip.add("after.txt", "still written");
    ASSERT_TRUE(zip.close());
    QByteArray bytes = tmp.read("orvan_update.zip");
    const qsizetype at = bytes.indexOf("GOOD");
    ASSERT_GE(at, 0);
    bytes[at] = 'B';
    tmp.write("orvan_update.zip", bytes);

    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(result.outcome, DecompOutcome::ExtractionFailed);
    EXPECT_EQ(result.boxText,
              "POZOR !\rSúbor setup.exe v archíve je poškodený (nesúhlasí kontrolný súčet) !");
    EXPECT_EQ(result.note, kReadError);
    EXPECT_EQ(result.corrupted.size(), 1);
    EXPECT_EQ(result.written, (QStringList{"setup.exe", "after.txt"}));
    EXPECT_EQ(tmp.read("ORVAN-INSTAL/setup.exe"), "BOOD INSTALLER DATA");
    EXPECT_EQ(tmp.read("ORVAN-INSTAL/after.txt"), "still written");
}

// A small declared size over a large deflated stream: no more than declared reaches the disk.
TEST(PackageExtract, DataBeyondTheDeclaredSizeIsNotWritten)
{
    TempDir tmp;
    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.add("setup.exe", QByteArray(4 * 1024 * 1024, '\0'));
    ASSERT_TRUE(zip.close());
    QByteArray bytes = tmp.read("orvan_update.zip");
    menu::test::setDeclaredSize(bytes, 1000);
    tmp.write("orvan_update.zip", bytes);

    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(result.outcome, DecompOutcome::ExtractionFailed);
    EXPECT_LE(QFileInfo(tmp.file("ORVAN-INSTAL/setup.exe")).size(), 1000);
}

TEST(PackageExtract, DeclaredSizesBeyondTheFreeSpaceAreRefusedBeforeWriting)
{
    TempDir tmp;
    ZipWriter zip(tmp.file("a.zip"));
    zip.add("setup.exe", QByteArray(600, 'a'));
    zip.add("big.bin", QByteArray(600, 'b'));
    ASSERT_TRUE(zip.close());
    QDir().mkpath(tmp.file("out"));

    menu::core::ZipReader reader;
    QString error;
    ASSERT_TRUE(reader.openArchive(tmp.file("a.zip"), error));
    menu::core::ExtractOptions options;
    options.availableBytes = 1000;
    options.flush = false;
    const auto result = menu::core::extractArchive(reader, tmp.file("out"), options);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Na disku nie je dosť miesta na rozbalenie archívu (potrebných "
                            "1200 b, voľných 1000 b) !");
    EXPECT_TRUE(QDir(tmp.file("out")).isEmpty());
}

// A write that fails part-way (here a file size limit; a full disk alike) is an error.
TEST(PackageExtract, WriteFailureIsReportedAsAnError)
{
    TempDir tmp;
    ZipWriter zip(tmp.file("orvan_update.zip"));
    zip.add("setup.exe", QByteArray(1024 * 1024, 'z'));
    ASSERT_TRUE(zip.close());

    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result.outcome, DecompOutcome::ExtractionFailed);
    EXPECT_TRUE(result.boxText.startsWith("POZOR !\rSúbor " + tmp.file("ORVAN-INSTAL/setup.exe") +
                                          " sa nepodarilo zapísať ("))
        << result.boxText.toStdString();
    EXPECT_EQ(result.note, kReadError);
    EXPECT_TRUE(result.written.isEmpty());
}

TEST(PackageExtract, ErrorPageSavedAsTheArchive)
{
    TempDir tmp;
    tmp.write("orvan_update.zip", "<html><body>404 Not Found</body></html>");
    const DecompResult result = unpack(tmp.file("orvan_update.zip"));
    EXPECT_EQ(result.outcome, DecompOutcome::ExtractionFailed);
    EXPECT_EQ(result.boxText,
              "POZOR !\rSúbor " + tmp.file("orvan_update.zip") + " nie je archív ZIP !");
    EXPECT_EQ(result.note, kReadError);
    EXPECT_TRUE(result.noteRed);
}

TEST(PackageExtract, UnpackingDirectoryThatCannotBeMade)
{
    TempDir tmp;
    tmp.write("blocker", "a file where a folder should be");
    const QString archive = tmp.file("blocker/orvan_update.zip");
    const DecompResult result = unpack(archive);
    const QString dir = tmp.file("blocker/ORVAN-INSTAL");
    EXPECT_EQ(result.outcome, DecompOutcome::DirectoryNotCreated);
    EXPECT_EQ(result.boxText, "POZOR !\rDočasný adresár " + dir + " sa nepodarilo vytvoriť !");
    EXPECT_EQ(result.note, "Prerušenie ! Dočasný adresár " + dir + " sa nepodarilo vytvoriť !");

    tmp.write("ORVAN-INSTAL", "a file of the directory's name");
    EXPECT_EQ(unpack(tmp.file("orvan_update.zip")).outcome, DecompOutcome::DirectoryNotCreated);
}

// An archive the caller still has open is not touched, and nothing is unpacked.
TEST(PackageExtract, ArchiveStillOpenIsRefusedAndStaysOpen)
{
    TempDir tmp;
    {
        ZipWriter zip(tmp.file("ok.zip"));
        zip.add("setup.exe", "MZ");
        ASSERT_TRUE(zip.close());
        ZipWriter other(tmp.file("other.zip"));
        other.add("other.txt", "x");
        ASSERT_TRUE(other.close());
    }
    menu::core::ZipReader reader;
    QString error;
    ASSERT_TRUE(reader.openArchive(tmp.file("other.zip"), error));
    const DecompResult result = menu::core::unpackPackage(tmp.file("ok.zip"), reader);
    EXPECT_EQ(result.outcome, DecompOutcome::ArchiveOpen);
    EXPECT_EQ(result.boxText, "POZOR !\rArchív je práve otvorený !");
    EXPECT_EQ(result.note, "Prerušenie ! Dekomprimácia je práve otvorená !");
    EXPECT_TRUE(result.noteRed);
    EXPECT_TRUE(reader.active());
    EXPECT_EQ(reader.count(), 1);
    EXPECT_FALSE(QFileInfo::exists(tmp.file("ORVAN-INSTAL")));
    reader.closeArchive();

    // Closed again, the same reader unpacks, and is closed afterwards.
    const DecompResult unpacked = menu::core::unpackPackage(tmp.file("ok.zip"), reader);
    EXPECT_TRUE(unpacked.ok());
    EXPECT_EQ(unpacked.note, "Dekomprimácia súborov úspešná ...");
    EXPECT_FALSE(unpacked.noteRed);
    EXPECT_FALSE(reader.active());
}

// menu-doctor extract unpacks as the launcher does, in a private directory of its own in the
// temporary directory, reports the outcome in its output and always ends with status 0.
TEST(PackageExtract, DoctorExtractPrintsTheResultAndTheBoxText)
{
    TempDir tmp;
    TempDir temporary; // the user's temporary directory for menu-doctor
    {
        ZipWriter zip(tmp.file("good/package.zip"));
        zip.add("setup.exe", "MZ");
        zip.add("docs/a.txt", "a");
        ASSERT_TRUE(zip.close());
        ZipWriter none(tmp.file("bad/package.zip"));
        none.add("docs/a.txt", "a");
        ASSERT_TRUE(none.close());
    }
    tmp.write("html/package.zip", "<html><body>404 Not Found</body></html>");
    // Its output, and the directory it names (removed from the output).
    auto run = [&](const QString &archive, const QString &workDir, QString &directory) {
        QProcess doctor;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), temporary.path());
        doctor.setProcessEnvironment(environment);
        doctor.setWorkingDirectory(workDir);
        doctor.start(MENU_DOCTOR_PATH, {"extract", archive});
        EXPECT_TRUE(doctor.waitForFinished(30000));
        EXPECT_EQ(doctor.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(doctor.exitCode(), 0);
        QString output = QString::fromUtf8(doctor.readAllStandardOutput());
        const qsizetype at = output.indexOf(QStringLiteral("directory: "));
        directory = output.mid(at + 11).trimmed();
        EXPECT_TRUE(directory.startsWith(temporary.path() + QStringLiteral("/orvan-update-")))
            << output.toStdString();
        return output.left(at);
    };

    const auto readFile = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QString directory;
    EXPECT_EQ(run(tmp.file("good/package.zip"), tmp.path(), directory), "result: true\n");
    EXPECT_EQ(readFile(directory + "/ORVAN-INSTAL/setup.exe"), "MZ");
    EXPECT_EQ(readFile(directory + "/ORVAN-INSTAL/docs/a.txt"), "a");
    EXPECT_FALSE(QFileInfo::exists(tmp.file("good/ORVAN-INSTAL")));

    EXPECT_EQ(run(tmp.file("bad/package.zip"), tmp.path(), directory),
              "result: false\nerror: POZOR !\\rRozpakovaný súbor setup.exe nenájdený !\n");

    const QString html = run(tmp.file("html/package.zip"), tmp.path(), directory);
    EXPECT_EQ(html, "result: false\nerror: POZOR !\\rSúbor " + directory +
                        "/orvan_update.zip nie je archív ZIP !\n");

    // A relative path is taken from the working directory, as a shell user means it.
    EXPECT_EQ(run("package.zip", tmp.file("good"), directory), "result: true\n");
}

// What one archive may unpack to: its entries, its nesting and its unpacked size, the last
// both absolute and in proportion to the archive's size, are checked before anything is
// written.
TEST(PackageExtract, ArchivesBeyondTheBoundsAreRefusedBeforeWriting)
{
    using menu::core::ExtractLimits;
    const ExtractLimits defaults;
    const struct {
        qint64 archive;
        quint64 most;
    } sizes[] = {
        {-1, defaults.totalBytes},              // size unknown
        {1000, defaults.floorBytes},            // small: the floor
        {10 << 20, quint64{320} << 20},         // 32 times
        {qint64{1} << 30, defaults.totalBytes}, // the absolute bound
        {std::numeric_limits<qint64>::max(), defaults.totalBytes},
    };
    for (const auto &s : sizes)
        EXPECT_EQ(defaults.bytesFor(s.archive), s.most) << s.archive;

    const struct {
        const char *name;
        int entries;
        const char *deep; // an entry nested deeply, or none
        qint64 zeros;     // bytes of an entry of zeros
        void (*limit)(ExtractLimits &);
        const char *error; // nullptr: unpacked
    } cases[] = {
        {"within", 3, "a/b/c.txt", 1000,
         [](ExtractLimits &l) {
             l.entries = 5;
             l.depth = 3;
         },
         nullptr},
        {"too many entries", 4, nullptr, 0, [](ExtractLimits &l) { l.entries = 3; },
         "Archív obsahuje príliš veľa položiek (4, najviac 3) !"},
        {"too deep", 1, "a/b/c/d.txt", 0, [](ExtractLimits &l) { l.depth = 3; },
         "Súbor a/b/c/d.txt v archíve je vnorený príliš hlboko (viac ako 3 úrovní) !"},
        {"bomb beyond the floor", 1, nullptr, 20 << 20, [](ExtractLimits &) {},
         "Rozbalený obsah archívu by bol príliš veľký (20971522 b, najviac 16777216 b) !"},
        {"beyond the ratio", 1, nullptr, 1 << 20, [](ExtractLimits &l) { l.floorBytes = 0; },
         "Rozbalený obsah"},
        {"beyond the absolute bound", 1, nullptr, 5000,
         [](ExtractLimits &l) { l.totalBytes = 4000; }, "Rozbalený obsah"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir tmp;
        {
            ZipWriter zip(tmp.file("orvan_update.zip"));
            zip.add("setup.exe", "MZ");
            for (int i = 1; i < c.entries; ++i)
                zip.add("f" + QByteArray::number(i), "x");
            if (c.deep != nullptr)
                zip.add(c.deep, "deep");
            if (c.zeros > 0)
                zip.add("zeros.bin", QByteArray(c.zeros, '\0'));
            ASSERT_TRUE(zip.close());
        }
        menu::core::ExtractOptions options;
        options.flush = false;
        c.limit(options.limits);
        menu::core::ZipReader reader;
        const DecompResult result =
            menu::core::unpackPackage(tmp.file("orvan_update.zip"), reader, options);
        if (c.error == nullptr) {
            EXPECT_TRUE(result.ok()) << result.errorText.toStdString();
            continue;
        }
        EXPECT_EQ(result.outcome, DecompOutcome::ExtractionFailed);
        EXPECT_TRUE(result.errorText.startsWith(QString::fromUtf8(c.error)))
            << result.errorText.toStdString();
        EXPECT_TRUE(QDir(tmp.file("ORVAN-INSTAL")).isEmpty());
    }
}

} // namespace
