// Shared pieces of the banner client's network tests: the dev server's ad host with Adwick's routes and
// a probe network, a fresh application root, and a download run to its one callback.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/adwick/adwick_url_download.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/testing/scoped_app_root.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::adwick::testing {

// The ad host; "/probe/echo" answers 200 with the request body, "/probe/big?n=N" N bytes.
class AdHost {
public:
    AdHost() {
        devserver::addAdwickRoutes(server_);
        server_.addNetwork("/probe", [](const devserver::DevAdsRequest& request, devserver::DevAdsResponse& response) {
            if (request.path == "/probe/echo") {
                response.status = 200;
                response.body = request.body.empty() ? std::string("ok") : request.body;
                return true;
            }
            if (request.path == "/probe/big") {
                response.status = 200;
                response.body.assign(std::stoul(request.param("n")), 'x');
                return true;
            }
            return false;
        });
        server_.start();
    }
    devserver::DevAdsServer& server() { return server_; }
    std::string url(const std::string& path) const { return server_.baseURL() + path; }

private:
    devserver::DevAdsServer server_;
};

// Runs one download to its callback; counts the callbacks of each kind.
struct DownloadRun {
    std::shared_ptr<AdwickURLDownload> download = AdwickURLDownload::create();
    int successes = 0;
    int failures = 0;

    DownloadRun() {
        download->setSuccessSelector([this](AdwickURLDownload&) { ++successes; });
        download->setFailureSelector([this](AdwickURLDownload&) { ++failures; });
    }
    DownloadRun& run(const std::string& url, std::optional<fnd::Bytes> body = std::nullopt) {
        download->loadContentsOfURLAtString(url, std::move(body));
        fnd::RunLoop::main().pumpUntil([this] { return successes + failures > 0; }, 20.0);
        fnd::RunLoop::main().runUntilIdle();
        return *this;
    }
    int code() const { return download->error() ? static_cast<int>(download->error()->code()) : 0; }
};

} // namespace zelvan::adwick::testing
