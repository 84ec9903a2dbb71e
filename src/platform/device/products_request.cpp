// ProductsRequest: one backend query, delivered to the delegate unless cancelled first.
#include "platform/device/products_request.h"

#include "platform/device/backends.h"

namespace device {

std::shared_ptr<ProductsRequest> ProductsRequest::create(std::set<std::string> productIdentifiers) {
    return std::shared_ptr<ProductsRequest>(new ProductsRequest(std::move(productIdentifiers)));
}

void ProductsRequest::start() {
    if (started_) {
        return;
    }
    started_ = true;
    self_ = shared_from_this();
    std::weak_ptr<ProductsRequest> weak = self_;
    storeBackend()->requestProducts(ids_, [weak](fnd::Result<ProductsResponse> answer) {
        auto self = weak.lock();
        if (!self || !self->self_) {
            return; // cancelled
        }
        auto keep = std::move(self->self_);
        auto delegate = self->delegate_.lock();
        if (!delegate) {
            return;
        }
        if (answer) {
            delegate->productsRequestDidReceiveResponse(*self, *answer);
            delegate->requestDidFinish(*self);
        } else {
            delegate->requestDidFailWithError(*self, answer.error());
        }
    });
}

void ProductsRequest::cancel() {
    self_.reset();
}

} // namespace device
