// The paged list loader: one background fetch per page, applied on the main thread.
#include "offers/brightpoint/bp_data_source.h"

#include "offers/brightpoint/brightpoint.h"
#include "platform/foundation/array.h"
#include "platform/foundation/log.h"
#include "platform/foundation/run_loop.h"

namespace zelvan::brightpoint {

BPDataSource::BPDataSource() = default;

BPDataSource::BPDataSource(std::string baseURL) : baseURL_(std::move(baseURL)) {}

BPDataSource::~BPDataSource() = default;

std::string BPDataSource::nextPageURL() const {
    return baseURL_ + "&page=" + std::to_string(currentPage_);
}

void BPDataSource::loadNextPage() {
    if (isLoading_) {
        return;
    }
    isLoading_ = true;
    errorLoading_ = false;
    std::weak_ptr<BPDataSource> weak = weak_from_this();
    loadThread_.emplace([weak, url = nextPageURL()] { loadNextPageThread(weak, url); });
    loadThread_->setName("bp-page");
    loadThread_->start();
}

void BPDataSource::loadNextPageThread(std::weak_ptr<BPDataSource> weak, std::string url) {
    std::optional<fnd::Value> reply = Brightpoint::getRequest(url);
    fnd::RunLoop::main().post([weak = std::move(weak), reply = std::move(reply)] {
        if (auto self = weak.lock()) {
            self->applyPage(reply);
        }
    });
}

std::optional<std::vector<fnd::Value>> BPDataSource::offersFromReply(const std::optional<fnd::Value>& reply) {
    if (!reply) {
        return std::nullopt;
    }
    if (!reply->isArray()) {
        ZLOG(Warn, "Brightpoint: an offer page that is not a list is refused");
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
        ZLOG(Warn, "Brightpoint: %zu entries of an offer page are not offers and were skipped", skipped);
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
