// device::ProductsRequest: asks the installed store backend about product identifiers and reports the
// products (and the unknown identifiers) or a failure to its delegate on the main loop.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "platform/device/store_types.h"
#include "platform/foundation/error.h"

namespace device {

class ProductsRequest;

class ProductsRequestDelegate {
public:
    virtual ~ProductsRequestDelegate() = default;
    virtual void productsRequestDidReceiveResponse(ProductsRequest& request, const ProductsResponse& response) = 0;
    virtual void requestDidFinish(ProductsRequest&) {}
    // Lets the client leave its loading state when the catalogue cannot be read.
    virtual void requestDidFailWithError(ProductsRequest&, const fnd::Error&) {}
};

class ProductsRequest : public std::enable_shared_from_this<ProductsRequest> {
public:
    static std::shared_ptr<ProductsRequest> create(std::set<std::string> productIdentifiers);

    void setDelegate(std::weak_ptr<ProductsRequestDelegate> delegate) { delegate_ = std::move(delegate); }
    // Asks once; the request holds itself until the answer has been delivered or it is cancelled.
    void start();
    // No callback follows.
    void cancel();

private:
    explicit ProductsRequest(std::set<std::string> ids) : ids_(std::move(ids)) {}
    std::set<std::string> ids_;
    std::weak_ptr<ProductsRequestDelegate> delegate_;
    std::shared_ptr<ProductsRequest> self_;
    bool started_ = false;
};

} // namespace device
