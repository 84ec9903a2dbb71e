// SelvoContext: what the Selvo ad client keeps process-wide - the verbose log flag, the error sink and
// the product's reachability monitor - held in the application registry's `selvo` slot. Tests build
// their own.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace zelvan::selvo {

class Reachability;

class SelvoContext {
public:
    // Receives each error line SVLogError writes (the cache manager stores it in its error log).
    using ErrorSink = std::function<void(const std::string& line)>;

    explicit SelvoContext(std::shared_ptr<Reachability> reachability = nullptr);
    SelvoContext(const SelvoContext&) = delete;
    SelvoContext& operator=(const SelvoContext&) = delete;

    // Whether SVLog writes (off until set). Any thread.
    bool verbose() const { return verbose_.load(); }
    void setVerbose(bool on) { verbose_.store(on); }

    // Sets (or with an empty function clears) the sink of error lines. Any thread.
    void setErrorSink(ErrorSink sink);
    // Hands `line` to the sink when one is set. A line raised while the sink runs on this thread (the
    // sink itself failing) is not handed back to it, so a failing sink cannot loop.
    void reportError(const std::string& line) const;

    // The product's reachability monitor (null when the registry has none).
    const std::shared_ptr<Reachability>& reachability() const { return reachability_; }

private:
    std::atomic<bool> verbose_{false};
    mutable std::mutex sinkMutex_;
    std::shared_ptr<const ErrorSink> sink_;
    std::shared_ptr<Reachability> reachability_;
};

} // namespace zelvan::selvo
