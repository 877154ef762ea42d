#include "core/UpdateAddress.h"

#include <QtGlobal>
#include <gtest/gtest.h>

namespace {

struct HostCase {
    const char *host;
    const char *address;
    const char *expected;
};

TEST(UpdateAddress, AnotherHostReplacesOnlyTheHost)
{
    const HostCase cases[] = {
        {"", "update.orvan.example/ORVANWIN/FILES/", "update.orvan.example/ORVANWIN/FILES/"},
        {"127.0.0.1:8080", "update.orvan.example/ORVANWIN/FILES/",
         "127.0.0.1:8080/ORVANWIN/FILES/"},
        {"localhost/", "update.orvan.example/a.ini", "localhost/a.ini"},
        {"http://127.0.0.1:81", "update.orvan.example/a.ini", "http://127.0.0.1:81/a.ini"},
        {"demo.test", "http://update.orvan.example/a.ini", "http://demo.test/a.ini"},
        {"demo.test", "update.orvan.example", "demo.test"},
        // A build for an HTTPS server stays on HTTPS with another host; only a host given with
        // its own scheme changes it (the demo, the tests).
        {"127.0.0.1:8443", "https://update.orvan.example/ORVANWIN/FILES/",
         "https://127.0.0.1:8443/ORVANWIN/FILES/"},
        {"http://127.0.0.1:81", "https://update.orvan.example/a.ini", "http://127.0.0.1:81/a.ini"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(
            menu::core::withUpdateHost(QString::fromLatin1(c.address), QString::fromLatin1(c.host)),
            QString::fromLatin1(c.expected))
            << c.host << " " << c.address;
    }
}

// The document and the package directory lie under the update address (whichever the build
// chose).
TEST(UpdateAddress, BothAddressesLieUnderTheUpdateAddress)
{
    const QString address = menu::core::compiledUpdateAddress();
    EXPECT_FALSE(address.endsWith(QLatin1Char('/')));
    EXPECT_EQ(menu::core::updateInfoUrl(address), address + QStringLiteral("/orvan_akt.ini"));
    EXPECT_EQ(menu::core::packageFilesUrl(address), address + QStringLiteral("/FILES/"));
}

} // namespace
