// The proxy rules that are plain text on either system: libcurl's reading of the environment
// and the syntax of the Windows Internet settings.
#include "platform/Proxy.h"

#include <gtest/gtest.h>
#include <map>

using namespace menu::platform;

namespace {

TEST(ProxyRules, TheEnvironmentNamesTheProxyOfTheScheme)
{
    struct Case {
        const char *name;
        std::map<QByteArray, QString> env;
        QString url;
        bool named;    // a variable names a proxy for the scheme
        QString proxy; // what libcurl takes; empty: direct
    };
    const QString a = QStringLiteral("http://a:3128");
    const QString b = QStringLiteral("http://user:secret@b:8080");
    const Case cases[] = {
        {"nothing", {}, QStringLiteral("https://upd.example/x"), false, {}},
        {"https_proxy before HTTPS_PROXY",
         {{"https_proxy", a}, {"HTTPS_PROXY", b}},
         QStringLiteral("https://upd.example/x"),
         true,
         a},
        {"HTTPS_PROXY", {{"HTTPS_PROXY", b}}, QStringLiteral("https://upd.example/x"), true, b},
        {"the scheme's own before all_proxy",
         {{"https_proxy", a}, {"all_proxy", b}},
         QStringLiteral("HTTPS://upd.example/x"),
         true,
         a},
        {"an empty variable is none",
         {{"http_proxy", QString()}, {"ALL_PROXY", b}},
         QStringLiteral("upd.example/x"),
         true,
         b},
        {"no_proxy before NO_PROXY",
         {{"all_proxy", a}, {"no_proxy", "other"}, {"NO_PROXY", "*"}},
         QStringLiteral("http://upd.example/x"),
         true,
         a},
        {"no_proxy names the domain",
         {{"all_proxy", a}, {"no_proxy", "example"}},
         QStringLiteral("http://UPD.Example.:81/x"),
         true,
         {}},
        {"no_proxy does not match a part of a name",
         {{"all_proxy", a}, {"no_proxy", "ple"}},
         QStringLiteral("http://upd.example/x"),
         true,
         a},
        {"an address's network",
         {{"all_proxy", a}, {"no_proxy", "x,192.168.0.0/16"}},
         QStringLiteral("http://192.168.7.1/x"),
         true,
         {}},
        {"a name is no address",
         {{"all_proxy", a}, {"no_proxy", "192.168.0.0/16"}},
         QStringLiteral("http://192.168.example/x"),
         true,
         a},
        {"bits out of range",
         {{"all_proxy", a}, {"no_proxy", "192.168.0.0/33"}},
         QStringLiteral("http://192.168.0.0/x"),
         true,
         a},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto choice = environmentProxyFor(c.url, [&](const char *name) {
            return c.env.count(name) ? c.env.at(name) : QString();
        });
        ASSERT_EQ(choice.has_value(), c.named);
        if (!choice)
            continue;
        EXPECT_EQ(choice->source, ProxyChoice::Source::Environment);
        EXPECT_EQ(choice->proxy, c.proxy);
        EXPECT_FALSE(choice->reason.contains(QStringLiteral("secret")));
    }
}

TEST(ProxyRules, TheSystemsProxyServerServesItsSchemes)
{
    struct Case {
        QString value;
        QString scheme;
        QString proxy;
    };
    const Case cases[] = {
        {QStringLiteral("proxy:8080"), QStringLiteral("https"), QStringLiteral("proxy:8080")},
        {QStringLiteral("http=p1:80;https=p2:443"), QStringLiteral("https"),
         QStringLiteral("p2:443")},
        {QStringLiteral("HTTP=p1:80; ftp=p3:21"), QStringLiteral("http"), QStringLiteral("p1:80")},
        {QStringLiteral("http=p1:80"), QStringLiteral("https"), QString()},
        {QString(), QStringLiteral("http"), QString()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(systemProxyServerFor(c.value, c.scheme), c.proxy) << c.value.toStdString();
}

TEST(ProxyRules, TheSystemsBypassList)
{
    struct Case {
        QString host;
        QString list;
        bool bypassed;
    };
    const Case cases[] = {
        {QStringLiteral("intranet"), QStringLiteral("<local>"), true},
        {QStringLiteral("upd.example"), QStringLiteral("<local>"), false},
        {QStringLiteral("srv.firma.sk"), QStringLiteral("*.FIRMA.sk;10.*"), true},
        {QStringLiteral("firma.sk"), QStringLiteral("*.firma.sk"), false},
        {QStringLiteral("10.1.2.3"), QStringLiteral("*.firma.sk 10.*"), true},
        {QStringLiteral("110.1.2.3"), QStringLiteral("10.*"), false},
        {QStringLiteral("upd.example"), QStringLiteral("https://upd.example"), true},
        {QStringLiteral("127.0.0.1"), QString(), true},
        {QStringLiteral("localhost"), QStringLiteral("*.firma.sk"), true},
        {QStringLiteral("127.0.0.1"), QStringLiteral("<-loopback>"), false},
        {QStringLiteral("a+b.example"), QStringLiteral("a+b.*"), true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(systemBypassMatches(c.host, c.list), c.bypassed)
            << c.host.toStdString() << " in " << c.list.toStdString();
}

TEST(ProxyRules, APasswordIsNeverShown)
{
    EXPECT_EQ(withoutPassword(QStringLiteral("http://anna:tajne@p:3128")),
              QStringLiteral("http://anna:***@p:3128"));
    EXPECT_EQ(withoutPassword(QStringLiteral("anna:a@b@p:3128")),
              QStringLiteral("anna:***@p:3128"));
    EXPECT_EQ(withoutPassword(QStringLiteral("http://p:3128")), QStringLiteral("http://p:3128"));
}

} // namespace
