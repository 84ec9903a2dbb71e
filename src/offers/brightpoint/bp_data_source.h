// BPDataSource: the offer wall's paged list loader. Each page is fetched on the worker pool through the
// client's JSON GET ("<base URL>&page=<n>"); the reply is applied, and the delegate told, on the main
// thread. The offer and app lists derive their table data sources from it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/value.h"

namespace fnd {
class WorkerPool;
}

namespace zelvan::brightpoint {

class BPDataSource;

// Hears a data source's pages, always on the main thread.
class BPDataSourceDelegate {
public:
    virtual ~BPDataSourceDelegate() = default;
    // A page arrived and was appended to `results`.
    virtual void didFinishLoadingFromDataSource(BPDataSource& dataSource) = 0;
    // A page failed; the page number stays, so the next load asks for it again. Does nothing unless
    // overridden.
    virtual void offersFailedLoadingFromDataSource(BPDataSource& /*dataSource*/) {}
};

class BPDataSource : public std::enable_shared_from_this<BPDataSource> {
public:
    // Empty results, page 0, every flag off.
    BPDataSource();
    // As above, with `baseURL` (it already carries a query part), whose pages load on `workers`.
    BPDataSource(std::string baseURL, std::shared_ptr<fnd::WorkerPool> workers);
    virtual ~BPDataSource();
    BPDataSource(const BPDataSource&) = delete;
    BPDataSource& operator=(const BPDataSource&) = delete;

    // Starts a load of page `currentPage` on the worker pool; does nothing while one is loading (or
    // without a pool). Main thread.
    void loadNextPage();
    // Tells the delegate (when there is one) the page failed, then clears loading and sets errorLoading.
    void reportErrorToDelegate();

    // The offers of a page reply: nullopt (one log line) when the reply is missing or not an array;
    // elements that are not objects are skipped (one log line). Any thread.
    static std::optional<std::vector<fnd::Value>> offersFromReply(const std::optional<fnd::Value>& reply);

    // The delegate is held weakly: nothing reaches one that has gone.
    void setDelegate(std::weak_ptr<BPDataSourceDelegate> delegate) { delegate_ = std::move(delegate); }
    std::shared_ptr<BPDataSourceDelegate> delegate() const { return delegate_.lock(); }
    const std::string& baseURL() const { return baseURL_; }
    void setBaseURL(std::string baseURL) { baseURL_ = std::move(baseURL); }

    // Every offer of every page so far, in arrival order (dictionaries only). Main thread.
    const std::vector<fnd::Value>& results() const { return results_; }
    bool hasCompletedInitialLoad() const { return hasCompletedInitialLoad_; }
    bool isLoading() const { return isLoading_; }
    bool errorLoading() const { return errorLoading_; }
    // The number of the next page to ask for.
    uint32_t currentPage() const { return currentPage_; }
    // The URL of the next page: "<base URL>&page=<currentPage>".
    std::string nextPageURL() const;

protected:
    // Main thread: appends a good page (advancing the page number) or reports the failure.
    void applyPage(const std::optional<fnd::Value>& reply);

private:
    std::weak_ptr<BPDataSourceDelegate> delegate_;
    bool isLoading_ = false;
    bool hasCompletedInitialLoad_ = false;
    bool errorLoading_ = false;
    std::vector<fnd::Value> results_;
    std::string baseURL_;
    uint32_t currentPage_ = 0;
    std::shared_ptr<fnd::WorkerPool> workers_;
};

} // namespace zelvan::brightpoint
