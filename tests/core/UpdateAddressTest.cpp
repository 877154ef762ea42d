#include "core/UpdateAddress.h"

#include <QtGlobal>
#include <gtest/gtest.h>

namespace {

// Sets ORVAN_UPDATE_HOST for one test and restores what was there.
class UpdateHost {
  public:
    explicit UpdateHost(const char *value)
        : had_(qEnvironmentVariableIsSet("ORVAN_UPDATE_HOST")),
          previous_(qgetenv("ORVAN_UPDATE_HOST"))
    {
        if (value)
            qputenv("ORVAN_UPDATE_HOST", value);
        else
            qunsetenv("ORVAN_UPDATE_HOST");
    }
    ~UpdateHost()
    {
        if (had_)
            qputenv("ORVAN_UPDATE_HOST", previous_);
        else
            qunsetenv("ORVAN_UPDATE_HOST");
    }

  private:
    bool had_;
    QByteArray previous_;
};

struct HostCase {
    const char *host; // nullptr: not set
    const char *address;
    const char *expected;
};

TEST(UpdateAddress, EnvironmentReplacesOnlyTheHost)
{
    const HostCase cases[] = {
        {nullptr, "update.orvan.example/ORVANWIN/FILES/", "update.orvan.example/ORVANWIN/FILES/"},
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
        const UpdateHost host(c.host);
        EXPECT_EQ(menu::core::withUpdateHost(QString::fromLatin1(c.address)),
                  QString::fromLatin1(c.expected))
            << (c.host ? c.host : "(unset)") << " " << c.address;
    }
}

// The document and the package directory lie under the compiled-in address (whichever the
// build chose), on the host of the environment.
TEST(UpdateAddress, BothAddressesFollowTheEnvironment)
{
    const UpdateHost host("127.0.0.1:8080");
    const QString address = menu::core::withUpdateHost(menu::core::compiledUpdateAddress());
    EXPECT_TRUE(address.contains(QLatin1String("127.0.0.1:8080"))) << address.toStdString();
    EXPECT_FALSE(address.endsWith(QLatin1Char('/')));
    EXPECT_EQ(menu::core::updateInfoUrl(), address + QStringLiteral("/orvan_akt.ini"));
    EXPECT_EQ(menu::core::packageFilesUrl(), address + QStringLiteral("/FILES/"));
}

} // namespace
