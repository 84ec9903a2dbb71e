// The views of a rich ad: its container (touchable area, ignored first touches, appearance of all
// animations at the first draw, the click with the gathered interaction history), the gradient, label,
// image and plain views that record their touches, and the paging view that records its page changes.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "ads/adwick/adwick_single_ad_view.h"
#include "platform/foundation/array.h"
#include "platform/foundation/date.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/label.h"
#include "platform/ui/scroll_view.h"

namespace ui {
class PageControl;
}

namespace zelvan::adwick {

class AdwickFlexAdContainerView;

// What every view of a rich ad answers.
class AdwickFlexAdViewProtocol {
public:
    virtual ~AdwickFlexAdViewProtocol() = default;
    const ui::AnimationPtr& animation() const { return animation_; }
    void setAnimation(ui::AnimationPtr animation) { animation_ = std::move(animation); }
    const std::optional<std::string>& uiTag() const { return uiTag_; }
    void setUiTag(std::optional<std::string> tag) { uiTag_ = std::move(tag); }
    // The view's part of a click's interaction report, or Null.
    virtual fnd::Value userInteractionHistory() const { return fnd::Value(); }
    // Adds the view's animation to its layer.
    virtual void viewDidAppear() = 0;
    virtual bool takesContainerView() const { return false; }
    virtual void setContainerView(std::weak_ptr<AdwickFlexAdContainerView> /*container*/) {}

protected:
    ui::AnimationPtr animation_;
    std::optional<std::string> uiTag_;
};

// Label, image and plain views: touches recorded against the container's first render, then passed on.
class AdwickFlexTouchRecorder : public AdwickFlexAdViewProtocol {
public:
    fnd::Value userInteractionHistory() const override;
    bool takesContainerView() const override { return true; }
    void setContainerView(std::weak_ptr<AdwickFlexAdContainerView> container) override {
        containerView_ = std::move(container);
    }

protected:
    void record(ui::View& view, const ui::TouchSet& touches, bool isEnd);
    std::weak_ptr<AdwickFlexAdContainerView> containerView_;
    std::shared_ptr<fnd::Array> storedTouches_;
};

class AdwickFlexAdContainerView : public AdwickSingleAdView, public AdwickFlexAdViewProtocol {
public:
    std::string className() const override { return "AdwickFlexAdContainerView"; }
    void initWithFrame(gfx::Rect frame) override;

    double initialTouchIgnoreDuration() const { return initialTouchIgnoreDuration_; }
    void setInitialTouchIgnoreDuration(double seconds) { initialTouchIgnoreDuration_ = seconds; }
    gfx::Rect touchableArea() const { return touchableArea_; }
    void setTouchableArea(gfx::Rect area) { touchableArea_ = area; }
    bool useCATransaction() const { return useCATransaction_; }
    void setUseCATransaction(bool use) { useCATransaction_ = use; }
    const std::optional<fnd::Date>& dateOfFirstRender() const { return dateOfFirstRender_; }
    // Seconds since the first draw (0 before it).
    double timeSinceFirstRender() const;

    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

    // Sends the click with {"interactions": tag -> history} gathered from the tree.
    void click();
    fnd::Value gatherInteractions();
    fnd::Value userInteractionHistory() const override;
    void viewDidAppear() override;

private:
    bool counts(gfx::Point location) const;
    void appear();

    double initialTouchIgnoreDuration_ = 0;
    gfx::Rect touchableArea_;
    std::optional<fnd::Date> dateOfFirstRender_;
    bool useCATransaction_ = true;
    std::shared_ptr<fnd::Array> storedTouches_;
};

class AdwickGradientView : public ui::View, public AdwickFlexAdViewProtocol {
public:
    std::string className() const override { return "AdwickGradientView"; }
    void setUp(gfx::Color baseColor, double initialAlpha, double endPointY);
    const gfx::Color& baseGradientColor() const { return baseGradientColor_; }
    double initialAlpha() const { return initialAlpha_; }
    double endPointY() const { return endPointY_; }
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }
    void viewDidAppear() override;

private:
    gfx::Color baseGradientColor_;
    double initialAlpha_ = 0.5;
    double endPointY_ = 0.4375;
};

class AdwickLabelView : public ui::Label, public AdwickFlexTouchRecorder {
public:
    std::string className() const override { return "AdwickLabelView"; }
    void initWithFrame(gfx::Rect frame) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void viewDidAppear() override;
};

class AdwickImageView : public ui::View, public AdwickFlexTouchRecorder {
public:
    std::string className() const override { return "AdwickImageView"; }
    void initWithFrame(gfx::Rect frame) override;
    gfx::ImagePtr image;
    bool beveled = false;
    double bevelRadius = 6.5;
    double bevelWidth = 0.5;
    double bevelCornerMeetingPoint = 0.5;
    gfx::Color bevelDarkColor = gfx::Color(0.4, 0.4, 0.4, 1);
    gfx::Color bevelLightColor = gfx::Color(0.937, 0.937, 0.937, 1);
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void viewDidAppear() override;
};

class AdwickPlainView : public ui::View, public AdwickFlexTouchRecorder {
public:
    std::string className() const override { return "AdwickPlainView"; }
    void initWithFrame(gfx::Rect frame) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void viewDidAppear() override;
};

// Holds the pages' content and passes every touch to its delegate (the container).
class AdwickTouchForwardingView : public ui::View {
public:
    std::string className() const override { return "AdwickTouchForwardingView"; }
    void initWithFrame(gfx::Rect frame) override;
    void setDelegate(std::weak_ptr<ui::Responder> delegate) { delegate_ = std::move(delegate); }
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

private:
    std::weak_ptr<ui::Responder> delegate_;
};

class AdwickPagingScrollView : public ui::View, public AdwickFlexAdViewProtocol, public ui::ScrollViewDelegate {
public:
    static constexpr double kPageControlHeight = 12;
    static constexpr double kPageControlScale = 0.7;
    static constexpr double kPageControlRestingAlpha = 0.35;
    static constexpr double kFadeSeconds = 1;

    std::string className() const override { return "AdwickPagingScrollView"; }
    void initWithFrame(gfx::Rect frame) override;
    void setInitialPage(unsigned page) { initialPage_ = page; }
    unsigned initialPage() const { return initialPage_; }
    void setNumberOfPages(int pages, std::weak_ptr<ui::Responder> touchDelegate);
    void addContentSubview(const std::shared_ptr<ui::View>& view, int page);
    void fadePageControl(double duration);
    void recordScrollToNewPage(int page);

    const std::shared_ptr<ui::ScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<ui::PageControl>& pageControl() const { return pageControl_; }
    const std::shared_ptr<AdwickTouchForwardingView>& touchForwardingView() const { return touchForwardingView_; }
    bool takesContainerView() const override { return true; }
    void setContainerView(std::weak_ptr<AdwickFlexAdContainerView> container) override {
        containerView_ = std::move(container);
    }

    fnd::Value userInteractionHistory() const override;
    void viewDidAppear() override;
    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;

    void scrollViewDidScroll(ui::ScrollView& scrollView) override;
    void scrollViewDidEndDraggingWillDecelerate(ui::ScrollView& scrollView, bool decelerate) override;
    void scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) override;
    void scrollViewDidEndDecelerating(ui::ScrollView& scrollView) override;

private:
    std::shared_ptr<ui::ScrollView> scrollView_;
    std::shared_ptr<ui::PageControl> pageControl_;
    unsigned initialPage_ = 0;
    std::shared_ptr<AdwickTouchForwardingView> touchForwardingView_;
    std::shared_ptr<fnd::Array> storedScrolls_;
    std::weak_ptr<AdwickFlexAdContainerView> containerView_;
    int pages_ = 0;
};

} // namespace zelvan::adwick
