// SVAdView: the public face of the Selvo ad client - a view that an application places on screen, with the
// class operations that make one of the four kinds (through SVAdViewConcrete) and that reach the client's
// cache and run mode, the view's appearance and request settings, and its size for the ad it shows. The
// request cycle itself is SVAdViewConcrete's.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "ads/selvo/sv_ad_request.h"
#include "ads/selvo/view/sv_ad_view_delegate.h"
#include "platform/graphics/color.h"
#include "platform/graphics/font.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/view.h"

namespace zelvan::selvo {

class SelvoContext;

class SVAdView : public ui::View {
public:
    using DelegatePtr = std::weak_ptr<SVAdViewDelegate>;

    // --- Class operations ---
    // Test run mode when `on`, production otherwise.
    static void setTestMode(SelvoContext& context, bool on);
    static std::string errorReport(SelvoContext& context);
    static void clearErrorLog(SelvoContext& context);
    static std::string cacheReport(SelvoContext& context);
    // "SelvoMobile iPhone SDK (simulator) Version 2.0.0 Built Jul  9 2009 18:31:02".
    static std::string libBuildInfo();
    // Impressions left in the cache for these parameters.
    static int cachedAdsCount(SelvoContext& context, int type, const std::string& publisherID,
                              const std::string& siteID, int placement, const std::optional<std::string>& section,
                              int size = SVAdRequest::kNoSize);
    // The factories: placement 3 and no section unless given, batch size 0 unless given. Type 0 banner,
    // 1 small banner, 2 text, 3 interstitial; null for any other type.
    static std::shared_ptr<SVAdView> adViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                    const std::string& publisherID, const std::string& siteID,
                                                    int orientation, DelegatePtr delegate);
    static std::shared_ptr<SVAdView> adViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                    const std::string& publisherID, const std::string& siteID,
                                                    int placement, const std::optional<std::string>& section,
                                                    int orientation, DelegatePtr delegate);
    static std::shared_ptr<SVAdView> batchAdViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                         const std::string& publisherID, const std::string& siteID,
                                                         unsigned batchSize, int orientation, DelegatePtr delegate);
    static std::shared_ptr<SVAdView> batchAdViewWithType(const std::shared_ptr<SelvoContext>& context, int type,
                                                         const std::string& publisherID, const std::string& siteID,
                                                         int placement, const std::optional<std::string>& section,
                                                         unsigned batchSize, int orientation, DelegatePtr delegate);

    std::string className() const override { return "SVAdView"; }

    // --- The request cycle (SVAdViewConcrete) ---
    virtual void prefetchAds(const std::optional<std::vector<SVAdRequest>>& requests) = 0;
    virtual void submitReport() = 0;
    virtual void submitSynchronousReport() = 0;
    virtual void displayNewAd() = 0;

    // (0, 0, W, H) for the ad shown: the picture's size (decoded, else announced) above the text's size
    // in the view's font (none with hideActionText or for the small-banner kind).
    gfx::Rect desiredFrame() const;

    // --- Properties ---
    // The ad shown (main thread).
    const std::shared_ptr<SVAd>& ad() const { return currentAd_; }
    std::shared_ptr<SVAdViewDelegate> delegate() const;
    void setDelegate(DelegatePtr delegate);
    const std::shared_ptr<gfx::Font>& font() const { return font_; }
    void setFont(std::shared_ptr<gfx::Font> font) { font_ = std::move(font); }
    const gfx::Color& textColor() const { return textColor_; }
    void setTextColor(const gfx::Color& color) { textColor_ = color; }
    const std::shared_ptr<ui::Transition>& adTransition() const { return adTransition_; }
    void setAdTransition(std::shared_ptr<ui::Transition> transition) { adTransition_ = std::move(transition); }
    double adInterval() const { return adTransitionInterval_; }
    void setAdInterval(double seconds) { adTransitionInterval_ = seconds; }
    // Any thread.
    std::string publisherID() const;
    void setPublisherID(std::string id);
    std::string siteID() const;
    void setSiteID(std::string id);
    std::optional<std::string> section() const;
    void setSection(std::optional<std::string> section);
    bool openInSafari() const { return openInSafari_; }
    void setOpenInSafari(bool open) { openInSafari_ = open; }
    int placement() const { return placement_; }
    void setPlacement(int placement) { placement_ = placement; }
    int msize() const { return msize_; }
    void setMsize(int size) { msize_ = size; }
    int displayMode() const { return displayMode_; }
    void setDisplayMode(int mode) { displayMode_ = mode; }
    int webToolbarStyle() const { return webToolbarStyle_; }
    void setWebToolbarStyle(int style) { webToolbarStyle_ = style; }
    int realType() const { return realType_; }
    void setRealType(int type) { realType_ = type; }
    bool closeButton() const { return closeButton_; }
    void setCloseButton(bool show) { closeButton_ = show; }
    bool hideActionText() const { return hideActionText_; }
    void setHideActionText(bool hide) { hideActionText_ = hide; }

protected:
    std::shared_ptr<SVAd> currentAd_;
    std::shared_ptr<gfx::Font> font_;
    gfx::Color textColor_ = gfx::Color::black();
    std::shared_ptr<ui::Transition> adTransition_;
    double adTransitionInterval_ = 0;
    bool openInSafari_ = false;
    std::atomic<int> placement_{3};
    std::atomic<int> msize_{SVAdRequest::kNoSize};
    int displayMode_ = 0;
    int webToolbarStyle_ = 0;
    std::atomic<int> realType_{0};
    bool closeButton_ = true;
    bool hideActionText_ = false;

private:
    // Guards the fields operation threads read: the delegate, the ids and the section.
    mutable std::mutex fieldsMutex_;
    DelegatePtr delegate_;
    std::string publisherID_;
    std::string siteID_;
    std::optional<std::string> section_;
};

} // namespace zelvan::selvo
