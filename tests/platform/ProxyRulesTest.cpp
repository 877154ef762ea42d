// The proxy rules that are plain text on either system: libcurl's reading of the environment
// (what the Linux suite cannot set up against a real libcurl: https and odd no_proxy entries)
// and the syntax of the Windows Internet settings.
#include "platform/Proxy.h"

#include <gtest/gtest.h>
#include <map>

using namespace menu::platform;

namespace {

QString q(const char *text)
{
    return QString::fromUtf8(text);
}

TEST(ProxyRules, TheEnvironmentNamesTheProxyOfTheScheme)
{
    struct Case {
        std::map<QByteArray, QString> env;
        const char *url;
        std::optional<const char *> proxy; // nothing: no variable names one; "": direct
    };
    const Case cases[] = {
        {{}, "https://upd.example/x", std::nullopt},
        {{{"https_proxy", "a:1"}, {"HTTPS_PROXY", "b:2"}}, "https://upd.example/x", "a:1"},
        {{{"HTTPS_PROXY", "b:2"}, {"all_proxy", "c:3"}}, "HTTPS://upd.example/x", "b:2"},
        {{{"http_proxy", ""}, {"ALL_PROXY", "c:3"}}, "upd.example/x", "c:3"},
        {{{"all_proxy", "c:3"}, {"no_proxy", "other"}, {"NO_PROXY", "*"}}, "upd.example", "c:3"},
    };
    for (const Case &c : cases) {
        const auto choice = environmentProxyFor(q(c.url), [&](const char *name) {
            return c.env.count(name) ? c.env.at(name) : QString();
        });
        ASSERT_EQ(choice.has_value(), c.proxy.has_value()) << c.url;
        if (choice) {
            EXPECT_EQ(choice->proxy, q(*c.proxy)) << c.url;
        }
    }
}

TEST(ProxyRules, NoProxyAsLibcurlReadsIt)
{
    struct Case {
        const char *host, *list;
        bool matches;
    };
    const Case cases[] = {
        {"upd.example.", "EXAMPLE", true},
        {"upd.example", "ple", false},
        {"upd.example", ".upd.example.", true},
        {"192.168.7.1", "x,192.168.0.0/16", true},
        {"192.168.example", "192.168.0.0/16", false},
        {"192.168.0.0", "192.168.0.0/33", false},
        {"10.0.0.1", "10.0.0.01", false},
        {"upd.example", "", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(noProxyMatches(q(c.host), q(c.list)), c.matches) << c.host << " " << c.list;
}

TEST(ProxyRules, TheSystemsProxyServerServesItsSchemes)
{
    const char *cases[][3] = {
        {"proxy:8080", "https", "proxy:8080"},
        {"http=p1:80;https=p2:443", "https", "p2:443"},
        {"HTTP=p1:80; ftp=p3:21", "http", "p1:80"},
        {"http=p1:80", "https", ""},
        {"", "http", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(systemProxyServerFor(q(c[0]), q(c[1])), q(c[2])) << c[0];
}

TEST(ProxyRules, TheSystemsBypassList)
{
    struct Case {
        const char *host, *list;
        bool bypassed;
    };
    const Case cases[] = {
        {"intranet", "<local>", true},
        {"upd.example", "<local>", false},
        {"srv.firma.sk", "*.FIRMA.sk;10.*", true},
        {"firma.sk", "*.firma.sk", false},
        {"10.1.2.3", "*.firma.sk 10.*", true},
        {"110.1.2.3", "10.*", false},
        {"upd.example", "https://upd.example", true},
        {"127.0.0.1", "", true},
        {"localhost", "*.firma.sk", true},
        {"127.0.0.1", "<-loopback>", false},
        {"a+b.example", "a+b.*", true},
        {"a.b.firma.sk", "*.*.firma.sk", true},
        {"srv.firma.sk.evil", "*.firma.sk", false},
        {"srv.firma.sk", "x,srv*sk", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(systemBypassMatches(q(c.host), q(c.list)), c.bypassed) << c.host << " " << c.list;
}

TEST(ProxyRules, APasswordIsNeverShown)
{
    EXPECT_EQ(withoutPassword(q("http://anna:tajne@p:3128")), q("http://anna:***@p:3128"));
    EXPECT_EQ(withoutPassword(q("anna:a@b@p:3128")), q("anna:***@p:3128"));
    EXPECT_EQ(withoutPassword(q("http://p:3128")), q("http://p:3128"));
}

} // namespace
