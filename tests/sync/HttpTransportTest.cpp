#include "sync/HttpTransport.h"

#include <gtest/gtest.h>

// Servers spell header names as they like; a lookup finds them in any case and only whole.
TEST(HttpTransportTest, HeadersAreFoundWhateverTheirCase) {
    CHttpResponse response;
    response.headers = {{"etag", "\"1\""}, {"Content-Type", "text/vcard"}, {"ETag-X", "no"}};
    EXPECT_EQ("\"1\"", response.Header("ETag"));
    EXPECT_EQ("text/vcard", response.Header("CONTENT-TYPE"));
    EXPECT_EQ("", response.Header("Location"));
    EXPECT_EQ("", response.Header("ETa"));
}
