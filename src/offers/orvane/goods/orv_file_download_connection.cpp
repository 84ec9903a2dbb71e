// ORVFileDownloadConnection: the fetch, its file and the forwarding of its outcome.
#include "offers/orvane/goods/orv_file_download_connection.h"

#include "platform/foundation/url_exchange.h"

namespace zelvan::orvane {

std::shared_ptr<ORVFileDownloadConnection>
ORVFileDownloadConnection::initWithRequest(fnd::UrlRequest request,
                                           std::weak_ptr<ORVFileDownloadConnectionDelegate> delegate,
                                           std::shared_ptr<fnd::FileHandle> fh) {
    const fnd::Url& url = request.url();
    if (!fnd::UrlExchange::supportsScheme(url) || (url.isFileUrl() ? url.filePath().empty() : url.host().empty())) {
        return nullptr;
    }
    auto connection = std::make_shared<ORVFileDownloadConnection>(std::move(delegate), std::move(fh));
    connection->running_ = std::make_shared<fnd::UrlCancelToken>();
    fnd::FetchOptions options;
    options.timeout = request.timeoutInterval();
    options.maxBodyBytes = request.maxBodyBytes();
    options.cookies = request.httpShouldHandleCookies();
    options.cancel = connection->running_;
    ORVFileDownloadConnection* self = connection.get();
    fnd::fetch(std::move(request), std::move(options), connection,
               [self](fnd::Result<fnd::FetchReply> reply) { self->loaded(std::move(reply)); });
    return connection;
}

ORVFileDownloadConnection::ORVFileDownloadConnection(std::weak_ptr<ORVFileDownloadConnectionDelegate> delegate,
                                                     std::shared_ptr<fnd::FileHandle> fh)
    : delegate_(std::move(delegate)), fh_(std::move(fh)) {}

ORVFileDownloadConnection::~ORVFileDownloadConnection() {
    cancel();
}

void ORVFileDownloadConnection::cancel() {
    if (auto running = std::exchange(running_, nullptr)) {
        running->cancel();
    }
    closeFile();
}

void ORVFileDownloadConnection::closeFile() {
    if (fh_) {
        fh_->closeFile();
    }
}

void ORVFileDownloadConnection::loaded(fnd::Result<fnd::FetchReply> reply) {
    if (!running_) {
        return;
    }
    auto delegate = delegate_.lock();
    if (!reply) {
        running_.reset();
        closeFile();
        if (delegate) {
            delegate->connectionDidFailWithError(*this, reply.error());
        }
        return;
    }
    if (delegate) {
        delegate->connectionDidReceiveResponse(*this, reply.value().response);
    }
    // The delegate may cancel on any call: nothing follows then.
    if (delegate && running_ && !reply.value().body.empty()) {
        delegate->connectionDidReceiveData(*this, reply.value().body);
    }
    if (!running_) {
        return;
    }
    running_.reset();
    // The body is complete on disk before the downloader reads or moves it.
    closeFile();
    if (delegate) {
        delegate->connectionDidFinishLoading(*this);
    }
}

} // namespace zelvan::orvane
