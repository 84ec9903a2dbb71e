// KavloContext: what the Kavlo analytics client keeps process-wide - its event queue database, its JSON
// writer and its reachability front over the product's one monitor - held in the application registry's
// `kavlo` slot and reached through context(). Tests build their own.
#pragma once

#include <memory>
#include <mutex>

#include "analytics/kavlo/kavlo_json.h"

namespace zelvan {
class Reachability;
}

namespace zelvan::kavlo {

class KavloDatabase;
class KavloReachability;

class KavloContext {
public:
    // `reachability` is the product's monitor (may be null: then every status reads 0).
    explicit KavloContext(std::shared_ptr<Reachability> reachability = nullptr);
    ~KavloContext();
    KavloContext(const KavloContext&) = delete;
    KavloContext& operator=(const KavloContext&) = delete;

    // The event queue once KavloDatabase::initForApplication has opened it; null before. Any thread.
    std::shared_ptr<KavloDatabase> database() const;
    void setDatabase(std::shared_ptr<KavloDatabase> database);

    // The client's JSON writer, default settings (it serialises its own calls).
    KavloJSON& json() { return json_; }

    // The reachability front (never null).
    const std::shared_ptr<KavloReachability>& reachability() const { return reachability_; }

private:
    mutable std::mutex mutex_;
    std::shared_ptr<KavloDatabase> database_;
    KavloJSON json_;
    std::shared_ptr<KavloReachability> reachability_;
};

// The context in the installed application delegate's registry; null when there is none. The one place
// this library reads the installed delegate. Any thread.
std::shared_ptr<KavloContext> context();

} // namespace zelvan::kavlo
