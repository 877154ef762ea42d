// The libcurl the Windows programs link: a proxy's request for credentials can be answered
// with the user's logon only through SSPI (Negotiate and NTLM).
#include <curl/curl.h>
#include <gtest/gtest.h>

TEST(CurlFeatures, AnswersAProxyWithTheLogonThroughSspi)
{
    const curl_version_info_data *info = curl_version_info(CURLVERSION_NOW);
    ASSERT_NE(info, nullptr);
    EXPECT_NE(info->features & CURL_VERSION_SSPI, 0);
    EXPECT_NE(info->features & CURL_VERSION_SPNEGO, 0);
    EXPECT_NE(info->features & CURL_VERSION_NTLM, 0);
}
