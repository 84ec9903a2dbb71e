// Synchronous URL loads: they block the caller without pumping its run loop, follow redirects, and
// report files, HTTP bodies and failures through Result.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "http_test_server.h"
#include "platform/foundation/app_folders.h"
#include "platform/foundation/file_io.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/refused_port.h"
#include "platform/foundation/url_connection.h"
#include "platform/foundation/url_error.h"

namespace fnd {
namespace {

std::string text(const Bytes& data) {
    return std::string(data.begin(), data.end());
}

class SyncRequestTest : public ::testing::Test {
protected:
    testing::HttpTestServer server_;
};

TEST_F(SyncRequestTest, BlocksWithoutPumpingTheCallersLoopAndFollowsRedirects) {
    bool posted = false;
    RunLoop::main().post([&] { posted = true; });
    UrlRequest post(server_.url("/redirect/307?to=/echo"));
    post.setHttpMethod("POST");
    post.setHttpBody(Bytes{'x', '=', '1'});
    auto result = UrlConnection::sendSynchronousRequest(post);
    EXPECT_FALSE(posted); // the main loop did not run while the caller waited
    ASSERT_TRUE(result.ok()) << result.error().description();
    EXPECT_EQ(result.value().response.statusCode(), 200);
    EXPECT_EQ(result.value().response.url(), server_.url("/echo"));
    EXPECT_TRUE(text(result.value().data).starts_with("method: POST\n"));
    EXPECT_TRUE(text(result.value().data).ends_with("body: x=1\n"));

    // An error status is an ordinary response here.
    auto missing = UrlConnection::sendSynchronousRequest(UrlRequest(server_.url("/status/404")));
    ASSERT_TRUE(missing.ok());
    EXPECT_EQ(missing.value().response.statusCode(), 404);
    EXPECT_EQ(text(missing.value().data), "status 404");
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(posted);
}

TEST_F(SyncRequestTest, DataWithContentsOfUrlReadsFilesAndBodiesAndReportsFailures) {
    std::string dir = AppFolders::temporary() + "/sync-request";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(writeFile(dir + "/a.txt", Bytes{'h', 'i'}));
    auto file = dataWithContentsOfUrl(Url::fileUrl(dir + "/a.txt"));
    ASSERT_TRUE(file.ok());
    EXPECT_EQ(text(file.value()), "hi");

    auto big = dataWithContentsOfUrl(server_.url("/big/50000"));
    ASSERT_TRUE(big.ok());
    EXPECT_EQ(big.value().size(), 50000u);

    struct Case {
        Url url;
        int64_t code;
    };
    Url closed = *Url::parse(testing::refusedUrl());
    for (const Case& c :
         {Case{server_.url("/status/404"), UrlError::BadServerResponse}, Case{closed, UrlError::CannotConnectToHost},
          Case{Url::fileUrl(dir + "/none"), UrlError::FileDoesNotExist},
          Case{Url::fileUrl(dir), UrlError::FileIsDirectory},
          Case{*Url::parse("zelvan://openchat"), UrlError::UnsupportedUrl}}) {
        auto result = dataWithContentsOfUrl(c.url);
        ASSERT_FALSE(result.ok()) << c.url.absoluteString();
        EXPECT_EQ(result.error().code(), c.code) << c.url.absoluteString();
        EXPECT_EQ(result.error().domain(), "fnd.url");
    }
}

} // namespace
} // namespace fnd
