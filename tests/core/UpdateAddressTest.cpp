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
    };
    for (const auto &c : cases) {
        const UpdateHost host(c.host);
        EXPECT_EQ(menu::core::withUpdateHost(QString::fromLatin1(c.address)),
                  QString::fromLatin1(c.expected))
            << (c.host ? c.host : "(unset)") << " " << c.address;
    }
}

TEST(UpdateAddress, CompiledInAddressesStayOnAReservedName)
{
    const UpdateHost host(nullptr);
    EXPECT_EQ(menu::core::updateInfoUrl(),
              QStringLiteral("update.orvan.example/ORVANWIN/orvan_akt.ini"));
    EXPECT_EQ(menu::core::packageFilesUrl(),
              QStringLiteral("update.orvan.example/ORVANWIN/FILES/"));
}

TEST(UpdateAddress, BothAddressesFollowTheEnvironment)
{
    const UpdateHost host("127.0.0.1:8080");
    EXPECT_EQ(menu::core::updateInfoUrl(), QStringLiteral("127.0.0.1:8080/ORVANWIN/orvan_akt.ini"));
    EXPECT_EQ(menu::core::packageFilesUrl(), QStringLiteral("127.0.0.1:8080/ORVANWIN/FILES/"));
}

} // namespace
