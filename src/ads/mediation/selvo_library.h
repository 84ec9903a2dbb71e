// The Selvo ad client as the mediation's Selvo adapter reaches it: the class operations (test mode,
// logging, the view factory), one ad view, and the view's delegate. Several delegate calls come from the
// client's operation threads. The composition root adapts the real client; tests give a fake.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace ui {
class View;
}

namespace zelvan::mediation {

// What the mediation keeps of a displayed ad.
struct SelvoAd {
    std::string adId;
    std::string url; // the landing URL ("" for none)
};

// One ad view of the client.
class SelvoBanner {
public:
    virtual ~SelvoBanner() = default;
    virtual std::shared_ptr<ui::View> view() = 0;
    virtual void displayNewAd() = 0;
    // The ad the view shows, if any (main thread).
    virtual std::optional<SelvoAd> ad() = 0;
};

// What an ad view tells its delegate; every call may come from any thread.
class SelvoBannerDelegate {
public:
    virtual ~SelvoBannerDelegate() = default;
    virtual void didDisplayAd(const SelvoAd& ad) = 0;
    virtual void failedWithError(const std::string& description) = 0;
    virtual void displayLandingPage() = 0;
    virtual void dismiss() = 0;
    virtual void prefetchCompleted() = 0;
    virtual void willRefreshCache() = 0;
    virtual void willRequestAd() = 0;
};

class SelvoLibrary {
public:
    virtual ~SelvoLibrary() = default;
    // False when the client is not set up in this run.
    virtual bool available() = 0;
    virtual void setTestMode(bool on) = 0;
    virtual void SVSetLogging(int level) = 0;
    // A new view of `type`, or null.
    virtual std::shared_ptr<SelvoBanner> adViewWithType(int type, const std::string& publisherId,
                                                        const std::string& siteId, int orientation,
                                                        std::weak_ptr<SelvoBannerDelegate> delegate) = 0;
};

} // namespace zelvan::mediation
