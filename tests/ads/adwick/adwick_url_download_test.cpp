// The banner client's fetcher against the ad host: what it sends, its failure codes and body cap, a
// download released inside its own callback, and no request at all without an ads base.
#include <gtest/gtest.h>

#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_localizer.h"
#include "core/app_registry.h"
#include "platform/device/device.h"
#include "platform/foundation/file_manager.h"
#include "platform/foundation/testing/log_capture.h"
#include "platform/foundation/testing/refused_port.h"
#include "tests/ads/adwick/adwick_fixture.h"
#include "tests/support/scoped_app_delegate.h"

namespace zelvan::adwick {
namespace {

using testing::AdHost;
using testing::DownloadRun;

TEST(AdwickURLDownloadTest, SendsTrimmedRequestsWithItsHeadersAndBody) {
    fnd::testing::ScopedAppRoot root;
    AdHost host;
    DownloadRun get;
    get.run(" \n\t" + host.url("/probe/echo") + " \r\n");
    EXPECT_EQ(get.successes, 1);
    EXPECT_EQ(get.download->targetURL(), host.url("/probe/echo"));
    EXPECT_EQ(std::string(get.download->data().begin(), get.download->data().end()), "ok");

    DownloadRun post;
    post.run(host.url("/probe/echo"), fnd::Bytes{'{', '}'});
    EXPECT_EQ(std::string(post.download->data().begin(), post.download->data().end()), "{}");

    auto seen = host.server().requests();
    ASSERT_EQ(seen.size(), 2U);
    EXPECT_EQ(seen[0].method, "GET");
    EXPECT_EQ(seen[1].method, "POST");
    EXPECT_EQ(seen[1].body, "{}");
    const std::string agent = seen[0].header("User-Agent");
    EXPECT_TRUE(agent.starts_with("Mozilla/5.0 (" + device::Device::current().model() + "; U; CPU ")) << agent;
    EXPECT_TRUE(agent.ends_with("(KHTML, like Gecko) (Adwick-iSDK-20090609)")) << agent;
    EXPECT_EQ(agent.find(device::Device::current().systemVersion()), std::string::npos); // dots become '_'
    EXPECT_EQ(seen[0].header("X-ADWICK-ISU"), device::Device::current().uniqueIdentifier());
}

TEST(AdwickURLDownloadTest, FailureCodes) {
    fnd::testing::ScopedAppRoot root;
    AdHost host;
    DownloadRun missing;
    missing.run(host.url("/adwick/static/iphone/i18n/20090609/xx.strings"));
    EXPECT_EQ(missing.failures, 1);
    EXPECT_EQ(missing.successes, 0);
    EXPECT_EQ(missing.code(), AdwickURLDownload::kErrorHttpStatus);

    DownloadRun refused;
    refused.run(fnd::testing::refusedUrl("/x"));
    EXPECT_EQ(refused.failures, 1);
    EXPECT_EQ(refused.code(), AdwickURLDownload::kErrorConnection);

    DownloadRun big;
    big.run(host.url("/probe/big?n=") + std::to_string(AdwickURLDownload::kJsonBodyBytes + 1));
    EXPECT_EQ(big.code(), AdwickURLDownload::kErrorConnection);
    DownloadRun image;
    image.download->setMaxBodyBytes(AdwickURLDownload::kImageBodyBytes);
    image.run(host.url("/probe/big?n=") + std::to_string(AdwickURLDownload::kJsonBodyBytes + 1));
    EXPECT_EQ(image.successes, 1);

    // Files and other schemes are never loaded.
    DownloadRun file;
    file.run("file:///etc/hostname");
    EXPECT_EQ(file.code(), AdwickURLDownload::kErrorNoConnection);
}

TEST(AdwickURLDownloadTest, MayBeReleasedInsideItsCallback) {
    fnd::testing::ScopedAppRoot root;
    AdHost host;
    auto download = AdwickURLDownload::create();
    std::weak_ptr<AdwickURLDownload> weak = download;
    std::string body;
    bool done = false;
    download->setSuccessSelector([&](AdwickURLDownload& d) {
        download.reset(); // the owner lets go; the download stays whole until the callback returns
        body.assign(d.data().begin(), d.data().end());
        done = true;
    });
    download->loadContentsOfURLAtString(host.url("/probe/echo"));
    ASSERT_TRUE(fnd::RunLoop::main().pumpUntil([&] { return done; }, 20.0));
    EXPECT_EQ(body, "ok");
    EXPECT_TRUE(weak.expired());
}

TEST(AdwickURLDownloadTest, WithoutAdsBaseNothingIsSent) {
    fnd::testing::ScopedAppRoot root;
    AppRegistry registry;
    registry.adwick.factory = [](zelvanAppDelegate&) {
        return std::make_shared<AdwickContext>(NetworkEndpoint(), nullptr);
    };
    ScopedAppDelegate delegate(std::move(registry));
    auto shared = context();
    ASSERT_TRUE(shared);
    EXPECT_EQ(context(), shared);
    auto localizer = shared->localizer();
    localizer->downloadResourcesIfNecessary();
    EXPECT_FALSE(localizer->downloading()); // failed at once (-2), nothing in flight
    EXPECT_FALSE(fnd::FileManager::fileExistsAtPath(localizer->stringsPathForLanguage("en")));
    DownloadRun run;
    run.run(shared->endpoint());
    EXPECT_EQ(run.code(), AdwickURLDownload::kErrorNoConnection);

    AdwickContext based(NetworkEndpoint("http://127.0.0.1:9", "/adwick"), nullptr);
    EXPECT_EQ(based.endpoint(), "http://127.0.0.1:9/adwick/ad_source.php");
    EXPECT_EQ(based.mediaBase(), "http://127.0.0.1:9/adwick");
}

} // namespace
} // namespace zelvan::adwick
