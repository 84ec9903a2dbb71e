// ORVAdView: the banner host view the offer network hands to the application's ad slot. Each controller
// owns one; the networks' ad views are placed inside it. It carries the can-rotate flag (rotations are
// scheduled only while the banner is on screen) and the application's optional custom-ad delegate.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/view.h"

namespace zelvan::mediation {

class ORVAdView;

// The application's side of custom ads; both operations are optional and given the host view, whose
// getEventId and getAdLibraryName tell the event and the name the server sent.
class CustomAdDelegate {
public:
    virtual ~CustomAdDelegate() = default;
    virtual bool respondsToShowCustomAd() const { return false; }
    virtual void showCustomAd(ORVAdView& /*view*/) {}
    virtual bool respondsToEndCustomAd() const { return false; }
    virtual void endCustomAd(ORVAdView& /*view*/) {}
};

// The controller that owns a host view (ORVAdController), as the view reaches it: told when the
// application's custom-ad delegate changes, so a custom ad on screen is ended and announced again.
class ORVAdViewOwner {
public:
    virtual ~ORVAdViewOwner() = default;
    virtual void handleCustomAdEndSelector(const std::shared_ptr<CustomAdDelegate>& delegate) = 0;
    virtual void handleCustomAdStartSelector(const std::shared_ptr<CustomAdDelegate>& delegate) = 0;
};

class ORVAdView : public ui::View {
public:
    std::string className() const override { return "ORVAdView"; }
    void initWithFrame(gfx::Rect frame) override;

    int setCanRotateFlagAndReturn() { return canRotateFlag_ = 1; }
    int removeCanRotateFlagAndReturn() { return canRotateFlag_ = 0; }
    int getCanRotateFlagAndReturn() const { return canRotateFlag_; }

    // Off screen: no further rotations are scheduled until the banner is shown again.
    void removeFromSuperview() override;
    // Put back into a superview after it was taken off (the can-rotate flag is clear): tells the returned
    // observer, so its slot can make a new show request.
    void didMoveToSuperview() override;
    // The view only hosts the ad views.
    void drawRect(gfx::Rect /*rect*/) override {}

    // The owning controller, held weakly (the registry clears it when the controller goes).
    void setAdController(std::weak_ptr<ORVAdViewOwner> controller) { adController_ = std::move(controller); }
    std::shared_ptr<ORVAdViewOwner> adController() const { return adController_.lock(); }
    void setEventId(int eventId) { adsEventId_ = eventId; }
    int getEventId() const { return adsEventId_; }
    void setAdLibraryName(std::optional<std::string> name) { adLibraryName_ = std::move(name); }
    const std::optional<std::string>& getAdLibraryName() const { return adLibraryName_; }
    std::shared_ptr<CustomAdDelegate> getDelegate() const { return usersDelegate_; }
    // Keeps the delegate; a custom ad already on screen is ended and announced again to it.
    void setDelegate(std::shared_ptr<CustomAdDelegate> delegate);

    // Told each time the controller puts an ad into this view (before the impression is decided), so an
    // ad slot can take the view in at once.
    void setAdPlacedObserver(std::function<void(ORVAdView&)> observer) { adPlaced_ = std::move(observer); }
    void adPlaced();
    void setReturnedObserver(std::function<void(ORVAdView&)> observer) { returned_ = std::move(observer); }

private:
    int canRotateFlag_ = 1;
    int adsEventId_ = 0;
    std::shared_ptr<CustomAdDelegate> usersDelegate_;
    std::optional<std::string> adLibraryName_;
    std::weak_ptr<ORVAdViewOwner> adController_;
    std::function<void(ORVAdView&)> adPlaced_;
    std::function<void(ORVAdView&)> returned_;
};

} // namespace zelvan::mediation
