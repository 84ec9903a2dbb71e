// OrvaneContext: what the offer network's class-level operations share - the reply parser, the skin
// folder, the log threshold, the user colour and the service base - held in the application registry's
// `orvane` slot and reached through context().
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zelvan::orvane {

class ORVParser;

class OrvaneContext {
public:
    static constexpr int kDefaultLogThreshold = 3;
    static constexpr int32_t kDefaultUserColorCode = 0x0E2C4C;

    // `adsBase` is the networks' base URL (--ads-base, no trailing slash), or "" when none was given: then
    // the service base is empty, no request is sent, and this logs one INFO line saying so. `skinFolder`
    // holds the skin's images.
    OrvaneContext(std::string_view adsBase, std::string skinFolder);
    OrvaneContext(const OrvaneContext&) = delete;
    OrvaneContext& operator=(const OrvaneContext&) = delete;

    // The shared reply parser.
    const std::shared_ptr<ORVParser>& parser() const { return parser_; }
    const std::string& skinFolder() const { return skinFolder_; }
    // adsBase + "/orvane", or "" when no base was given.
    const std::string& serviceBase() const { return serviceBase_; }
    // The address of a web-service method: serviceBase + "/Service1.asmx/" + method; "" without a base
    // (the fetcher refuses an empty address, so the call ends at once as failed).
    std::string serviceURL(std::string_view method) const;

    // ORVLog writes levels at or below this (3 until set). Any thread.
    int logThreshold() const { return logThreshold_.load(); }
    void setLogThreshold(int level) { logThreshold_.store(level); }
    // The skin's primary colour as 0xRRGGBB (0E2C4C until the host sets one). Any thread.
    int32_t userColorCode() const { return userColorCode_.load(); }
    void setUserColorCode(int32_t code) { userColorCode_.store(code & 0xFFFFFF); }

private:
    std::shared_ptr<ORVParser> parser_;
    std::string skinFolder_;
    std::string serviceBase_;
    std::atomic<int> logThreshold_{kDefaultLogThreshold};
    std::atomic<int32_t> userColorCode_{kDefaultUserColorCode};
};

// The context in the installed application delegate's registry; null when no delegate is installed or
// its registry has no offer network. The one place this library reads the installed delegate. Any thread.
std::shared_ptr<OrvaneContext> context();

} // namespace zelvan::orvane
