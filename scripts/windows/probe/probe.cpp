// Proves the Windows build: the libraries work together in one program under Wine, and a Qt
// window draws Slovak text. Usage: probe.exe PICTURE.png (with QT_QPA_PLATFORM=windows and
// QT_MENU_PROBE set to the Slovak text). Exit status 0, or the first step that failed.
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sodium.h>
#include <zip.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char *const kSlovak = "Účtovníctvo – ťažké ľúbostné úľové čísla";

// Only HTTP and HTTPS, TLS through Schannel: anything else means the library was built with
// other options than the launcher expects.
TEST(WindowsLibraries, CurlSpeaksOnlyHttpOverSchannel)
{
    ASSERT_EQ(curl_global_init(CURL_GLOBAL_DEFAULT), CURLE_OK);
    const curl_version_info_data *info = curl_version_info(CURLVERSION_NOW);
    ASSERT_NE(info->ssl_version, nullptr);
    EXPECT_NE(std::string(info->ssl_version).find("Schannel"), std::string::npos)
        << info->ssl_version;
    std::vector<std::string> protocols;
    for (const char *const *p = info->protocols; *p != nullptr; ++p) {
        protocols.emplace_back(*p);
    }
    EXPECT_EQ(protocols, (std::vector<std::string>{"http", "https"}));
    curl_global_cleanup();
}

// A deflated entry with a UTF-8 name survives a round trip through an archive in memory (libzip
// with zlib).
TEST(WindowsLibraries, ZipRoundTrip)
{
    const std::string text(4096, 'a');
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    ASSERT_NE(buffer, nullptr);
    // Each archive opened on the buffer takes one reference and drops it when closed; ours
    // keeps the buffer alive between the two.
    zip_source_keep(buffer);
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    zip_source_t *entry = zip_source_buffer(archive, text.data(), text.size(), 0);
    ASSERT_GE(zip_file_add(archive, kSlovak, entry, ZIP_FL_ENC_UTF_8), 0);
    ASSERT_EQ(zip_set_file_compression(archive, 0, ZIP_CM_DEFLATE, 9), 0);
    ASSERT_EQ(zip_close(archive), 0);

    zip_source_keep(buffer);
    archive = zip_open_from_source(buffer, ZIP_RDONLY, &error);
    ASSERT_NE(archive, nullptr) << zip_error_strerror(&error);
    zip_stat_t stat;
    ASSERT_EQ(zip_stat_index(archive, 0, 0, &stat), 0);
    EXPECT_STREQ(stat.name, kSlovak);
    EXPECT_EQ(stat.comp_method, ZIP_CM_DEFLATE);
    EXPECT_LT(stat.comp_size, stat.size);
    std::string read(text.size(), '\0');
    zip_file_t *file = zip_fopen_index(archive, 0, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(zip_fread(file, read.data(), read.size()), static_cast<zip_int64_t>(text.size()));
    zip_fclose(file);
    zip_discard(archive);
    zip_source_free(buffer);
    EXPECT_EQ(read, text);
}

// An Ed25519 signature verifies over the signed bytes only.
TEST(WindowsLibraries, SodiumSignature)
{
    const std::string text(4096, 'a');
    ASSERT_GE(sodium_init(), 0);
    unsigned char pk[crypto_sign_PUBLICKEYBYTES];
    unsigned char sk[crypto_sign_SECRETKEYBYTES];
    unsigned char sig[crypto_sign_BYTES];
    crypto_sign_keypair(pk, sk);
    std::vector<unsigned char> message(text.begin(), text.end());
    crypto_sign_detached(sig, nullptr, message.data(), message.size(), sk);
    EXPECT_EQ(crypto_sign_verify_detached(sig, message.data(), message.size(), pk), 0);
    message[100] ^= 1U;
    EXPECT_NE(crypto_sign_verify_detached(sig, message.data(), message.size(), pk), 0);
}

// scripts/windows/wine-run.sh hands QT_ variables on (Wine alone drops them), and text in the
// environment arrives as Unicode.
TEST(WineRunner, HandsQtVariablesOn)
{
    EXPECT_EQ(qEnvironmentVariable("QT_MENU_PROBE").toStdString(), kSlovak);
}

} // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (RUN_ALL_TESTS() != 0) {
        return 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: probe PICTURE.png\n");
        return 2;
    }
    QApplication app(argc, argv);
    const QString slovak = QString::fromUtf8(kSlovak);
    QWidget window;
    window.setWindowTitle(slovak);
    auto *layout = new QVBoxLayout(&window);
    auto *label = new QLabel(slovak);
    QFont font = label->font();
    font.setPointSize(18);
    label->setFont(font);
    layout->addWidget(label);
    // The real Windows platform plugin, deployed beside the program, not Qt's offscreen one.
    if (QGuiApplication::platformName() != QLatin1String("windows")) {
        std::fprintf(stderr, "platform %s instead of windows\n",
                     qPrintable(QGuiApplication::platformName()));
        return 6;
    }
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 3;
    }
    // Without Wine's own fonts in the prefix the dialog font falls back to a host font that
    // draws Ú, Č, Ť, Ž without their accents.
    const QString family = QFontInfo(label->font()).family();
    if (family != QLatin1String("Tahoma")) {
        std::fprintf(stderr, "the dialog font is %s, not Wine's Tahoma\n", qPrintable(family));
        return 4;
    }
    const QFontMetrics metrics(label->font());
    for (const QChar c : slovak) {
        if (!metrics.inFont(c)) {
            std::fprintf(stderr, "the font has no U+%04X\n", c.unicode());
            return 7;
        }
    }
    std::printf("platform %s, font %s\n", qPrintable(QGuiApplication::platformName()),
                qPrintable(family));
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 5;
    }
    return 0;
}
