// ZAvatarItemBar: the avatar shop's native strip over its page - a sideways scrolling row of item
// icons loaded from an item list whose URL the page gives. Tapping an item marks it, brings the
// item's picture files into the web cache and tells the page which item it was, with the local file
// URLs of its pictures, its price and its x, y and z values.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/bridge_targets.h"
#include "messaging/avatars/avatar_item.h"
#include "platform/graphics/image.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/button.h"
#include "platform/ui/image_view.h"
#include "platform/ui/label.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view.h"
#include "web/zelvan_url_connection.h"

namespace zelvan {

class ZelvanWebCache;

// Script the bar runs in its page (every string argument is a JavaScript string literal):
//   avatarbartapped(selected, flag, itemId, files, iconUrl, price, x, y, z)   at each tap; `files` is
//       the item's "file://" URLs joined by "~", or "" while some are still being fetched
//   avatarimageloaded(selected, flag, itemId, files, iconUrl, price, x, y, z) once the last picture
//       of the tapped item has arrived
class ZAvatarItemBar : public ui::View,
                       public AvatarItemBarTarget,
                       public ZelvanURLConnectionDelegate,
                       public ui::ScrollViewDelegate {
public:
    static constexpr int kBackgroundColorId = 7;
    static constexpr double kIconSide = 54;
    // The first button's left and top edge, and the room between two buttons.
    static constexpr double kButtonInset = 3;
    static constexpr double kButtonGap = 4;
    static constexpr double kDisabledAlpha = 0.5;
    static constexpr double kTapScale = 1.6;
    static constexpr double kTapOpacity = 0.382;
    // The key of the tap animation on the button's layer.
    static constexpr const char* kTapAnimationKey = "scale";
    static constexpr const char* kEmptyText = "Empty";
    static constexpr const char* kFailedText = "Failed to load avatar items";
    // The largest icon decoded, as for the avatar pictures: a larger one is refused from its header,
    // with one warning, before any pixel is decoded, and the placeholder stays.
    static constexpr gfx::DecodeLimit kIconLimit{1024, 1024};

    // The bar over `frame`, loading through `cache` (initWithFrame).
    static std::shared_ptr<ZAvatarItemBar> create(gfx::Rect frame, std::shared_ptr<ZelvanWebCache> cache);
    explicit ZAvatarItemBar(std::shared_ptr<ZelvanWebCache> cache);
    // Takes the list request and every icon and picture request out of the cache's queue.
    ~ZAvatarItemBar() override;

    std::string className() const override { return "ZAvatarItemBar"; }
    void initWithFrame(gfx::Rect frame) override;

    // --- AvatarItemBarTarget ---
    std::shared_ptr<ui::View> view() override { return self(); }
    void setWebView(const std::shared_ptr<ui::View>& webView) override { webView_ = webView; }
    // Starts over: forgets the items and their requests, reads "animationDuration" and "items_url"
    // of `ctx`, and fetches the list (resolved against `baseURL`), or shows "Empty" without one.
    void refreshWithCtx(const fnd::Value& ctx, const std::string& baseURL) override;
    // Marks (YES) another item, or unmarks (NO) the marked one; other calls do nothing.
    void selectButton(int32_t index, bool select) override;
    void scrollToItem(int32_t index, bool animated) override;
    void flashScrollIndicators() override;

    // Enabled at full opacity, or disabled at kDisabledAlpha.
    static void button(ui::Button& button, bool enabled);
    // Takes the tapped item's picture requests out of the cache's queue and forgets them.
    void cancelImageRequests();
    // What a tap on the item button does (under the bar's lock).
    void buttonClicked(ui::Control& button);

    // --- ZelvanURLConnectionDelegate (network thread; the work moves to the main thread) ---
    void connectionDidFinish(const std::shared_ptr<ZelvanURLConnection>& connection) override;
    void connectionDidFail(const std::shared_ptr<ZelvanURLConnection>& connection) override;

    // --- ui::ScrollViewDelegate ---
    void scrollViewDidEndScrollingAnimation(ui::ScrollView& scrollView) override;

    int32_t flag() const { return flag_; }
    int32_t selectedIndex() const { return selectedIndex_; }
    const std::string& itemListUrlString() const { return itemListUrlString_; }
    const std::string& itemBaseURL() const { return itemBaseURL_; }
    const std::vector<AvatarItem>& avatarItems() const { return avatarItems_; }
    const std::vector<std::shared_ptr<ui::Button>>& avatarBarButtons() const { return avatarBarButtons_; }
    const std::shared_ptr<ui::ScrollView>& backgroundView() const { return backgroundView_; }
    const std::shared_ptr<ui::ImageView>& selectedView() const { return selectedView_; }
    const std::shared_ptr<ui::Label>& infoLabel() const { return infoLabel_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& loadingView() const { return loadingView_; }

private:
    void connectionDidFinishInMainThread(const std::shared_ptr<ZelvanURLRequest>& request);
    void connectionDidFailInMainThread(const std::shared_ptr<ZelvanURLRequest>& request);
    void itemListLoaded(const std::shared_ptr<const fnd::Bytes>& body);
    void iconLoaded(size_t index, const std::shared_ptr<const fnd::Bytes>& body);
    // A picture of the tapped item arrived; after the last one the page hears avatarimageloaded.
    void pictureLoaded(const std::shared_ptr<ZelvanURLRequest>& request);
    void showInfo(const std::string& text);
    void addButton(const gfx::ImagePtr& image);
    void forgetItems();
    // The item's picture URLs: its item URL split at "~", empty parts left out.
    static std::vector<std::string> pictureParts(const AvatarItem& item);
    // Runs `name`(...) in the page with the item's nine values.
    void callPage(const char* name, size_t index, const std::string& files);
    void playTapAnimation(ui::Button& button);
    void moveMarkerTo(size_t index);

    const std::shared_ptr<ZelvanWebCache> cache_;
    std::recursive_mutex lock_;

    int32_t flag_ = -1;
    std::string itemBaseURL_;
    std::string itemListUrlString_;
    std::vector<AvatarItem> avatarItems_;
    std::vector<std::shared_ptr<ui::Button>> avatarBarButtons_;
    // Per item: its icon's pending request, or null once the icon shows (or none could be made).
    std::vector<std::shared_ptr<ZelvanURLRequest>> iconRequests_;
    // The tapped item's picture requests still loading.
    std::vector<std::shared_ptr<ZelvanURLRequest>> imgRequests_;
    int32_t reqIndex_ = -1;
    std::shared_ptr<ui::ScrollView> backgroundView_;
    std::shared_ptr<ui::ImageView> selectedView_;
    gfx::ImagePtr imgDefault_;
    gfx::ImagePtr imgSelected_;
    std::shared_ptr<ui::Label> infoLabel_;
    std::shared_ptr<ui::ActivityIndicatorView> loadingView_;
    bool scrolling_ = false;
    std::shared_ptr<ZelvanURLRequest> itemListRequest_;
    std::weak_ptr<ui::View> webView_;
    // The item the marker sits on, or -1 before it was placed.
    int32_t markerIndex_ = -1;
    int32_t selectedIndex_ = -1;
    int32_t animationDuration_ = 0;
};

} // namespace zelvan
