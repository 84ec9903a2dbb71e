// The paged list loader: one fetch per page on the worker pool, applied on the main thread.
#include "offers/brightpoint/bp_data_source.h"

#include "core/main_thread.h"
#include "offers/brightpoint/bp_log.h"
#include "offers/brightpoint/bp_worker_fetch.h"
#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/array.h"
#include "platform/foundation/worker_pool.h"

namespace zelvan::brightpoint {

BPDataSource::BPDataSource() = default;

BPDataSource::BPDataSource(std::string baseURL, std::shared_ptr<fnd::WorkerPool> workers)
    : baseURL_(std::move(baseURL)), workers_(std::move(workers)) {}

BPDataSource::~BPDataSource() = default;

std::string BPDataSource::nextPageURL() const {
    return baseURL_ + "&page=" + std::to_string(currentPage_);
}

void BPDataSource::loadNextPage() {
    if (isLoading_ || !workers_) {
        return;
    }
    isLoading_ = true;
    errorLoading_ = false;
    // The request goes out even when this list goes meanwhile; its page is then dropped.
    std::weak_ptr<BPDataSource> weak = weak_from_this();
    workers_->submit([weak, url = nextPageURL(), owner = BPPoolOwner(workers_), cancel = workers_->shutdownToken()] {
        Brightpoint::getRequest(
            url, owner,
            [weak](std::optional<fnd::Value> reply) {
                onMain(weak, [reply = std::move(reply)](BPDataSource& self) { self.applyPage(reply); });
            },
            cancel);
    });
}

std::optional<std::vector<fnd::Value>> BPDataSource::offersFromReply(const std::optional<fnd::Value>& reply) {
    if (!reply) {
        return std::nullopt;
    }
    if (!reply->isArray()) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: an offer page that is not a list is refused");
        return std::nullopt;
    }
    std::vector<fnd::Value> offers;
    size_t skipped = 0;
    for (const fnd::Value& item : *reply->asArray()) {
        if (item.isDictionary()) {
            offers.push_back(item);
        } else {
            ++skipped;
        }
    }
    if (skipped > 0) {
        ZLOG_TO(kBrightpointLog, Warn, "Brightpoint: %zu entries of an offer page are not offers and were skipped",
                skipped);
    }
    return offers;
}

void BPDataSource::applyPage(const std::optional<fnd::Value>& reply) {
    std::optional<std::vector<fnd::Value>> offers = offersFromReply(reply);
    if (!offers) {
        reportErrorToDelegate();
        return;
    }
    results_.insert(results_.end(), std::make_move_iterator(offers->begin()), std::make_move_iterator(offers->end()));
    ++currentPage_;
    isLoading_ = false;
    hasCompletedInitialLoad_ = true;
    if (auto delegate = delegate_.lock()) {
        delegate->didFinishLoadingFromDataSource(*this);
    }
}

void BPDataSource::reportErrorToDelegate() {
    if (auto delegate = delegate_.lock()) {
        delegate->offersFailedLoadingFromDataSource(*this);
    }
    isLoading_ = false;
    errorLoading_ = true;
}

} // namespace zelvan::brightpoint
