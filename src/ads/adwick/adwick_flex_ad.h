// AdwickFlexAd: a rich ad built from a reply's "markup" table. It fetches the assets the markup names,
// then builds a tree of views with layer animations inside an AdwickFlexAdContainerView, which the ad
// controller shows in place of the classic banner. The markup readers turn each value into its type
// or the default, so malformed markup never fails the ad beyond a bad asset table or a failed asset.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_delegate.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/error.h"
#include "platform/foundation/value.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/animation_value.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/transform3d.h"

namespace ui {
class View;
}

namespace zelvan::adwick {

class AdwickFlexAdContainerView;
class AdwickURLDownload;

class AdwickFlexAd : public AdwickRichAd, public std::enable_shared_from_this<AdwickFlexAd> {
public:
    static constexpr std::string_view kErrorDomain = "kAdwickFlexAdErrorDomain";
    static constexpr int kBadMarkupCode = -1;
    // Bounds on what one markup may ask for.
    static constexpr size_t kMaxElements = 256;
    static constexpr size_t kMaxAssets = 32;
    static constexpr size_t kMaxDepth = 16;
    static constexpr double kDefaultGradientEndPoint = 0.4375;

    // Makes the container with `frame` and builds at once; the outcome reaches `delegate` from the run
    // loop, never from inside this call. Assets already in `preloadedAssets` are not fetched. `context`
    // keeps the rich ads' colours and gives the asset downloads their settings (null: the defaults).
    static std::shared_ptr<AdwickFlexAd>
    initWithDictionary(const fnd::Value& markup, std::weak_ptr<AdwickFlexAdDelegate> delegate,
                       std::weak_ptr<AdwickDelegate> adwickDelegate, gfx::Rect frame,
                       std::shared_ptr<AdwickContext> context,
                       std::unordered_map<std::string, fnd::Bytes> preloadedAssets = {});
    ~AdwickFlexAd() override;
    AdwickFlexAd(const AdwickFlexAd&) = delete;
    AdwickFlexAd& operator=(const AdwickFlexAd&) = delete;

    // The view that shows the rich ad (given its ad and controller by the ad controller). Once handed
    // out it is held only by whoever shows it: the container holds the ad record, which holds this.
    std::shared_ptr<ui::View> containerView() override;
    std::shared_ptr<AdwickFlexAdContainerView> container() const {
        return containerView_ ? containerView_ : handedContainer_.lock();
    }
    // Stops loading; no delegate call follows.
    void cancel() override;
    size_t pendingDownloadCount() const { return downloads_.size(); }

    // The context's colours (taken once from the first flex ad's publisher), else the defaults.
    AdwickFlexColors flexColors() const;

    // Markup readers: the value in its type, or `defaultValue` for any other shape.
    static gfx::Rect rectWithValue(const fnd::Value* value, gfx::Rect defaultValue);
    static gfx::Point pointWithValue(const fnd::Value* value, gfx::Point defaultValue);
    static gfx::Size sizeWithValue(const fnd::Value* value, gfx::Size defaultValue);
    static gfx::Color colorWithValue(const fnd::Value* value, gfx::Color defaultValue);
    static double floatWithValue(const fnd::Value* value, double defaultValue);
    static int64_t integerWithValue(const fnd::Value* value, int64_t defaultValue);
    static bool boolWithValue(const fnd::Value* value, bool defaultValue);
    static gfx::AffineTransform affineTransformWithValue(const fnd::Value* value, gfx::AffineTransform defaultValue);
    static ui::Transform3D transform3DWithValue(const fnd::Value* value, ui::Transform3D defaultValue);
    static ui::TimingFunction timingFunctionWithValue(const fnd::Value* value, ui::TimingFunction defaultValue);
    static ui::FillMode fillModeWithValue(const fnd::Value* value, ui::FillMode defaultValue);
    static std::optional<ui::AnimationValue> defaultAnimationFromValueWithValueType(std::string_view type);
    static std::optional<ui::AnimationValue> defaultAnimationToValueWithValueType(std::string_view type);
    using DefaultValueProvider = std::optional<ui::AnimationValue> (*)(std::string_view);
    static std::optional<ui::AnimationValue> valueOfType(std::string_view type, const fnd::Value* value,
                                                         DefaultValueProvider provider);

    static ui::AnimationPtr basicAnimationFromDictionary(const fnd::Dictionary& dictionary);
    static ui::AnimationPtr keyframeAnimationFromDictionary(const fnd::Dictionary& dictionary);
    // The group of the animations of `array` with the properties of `properties` (may be null); null when
    // no animation could be built.
    static ui::AnimationPtr animationGroupFromArray(const fnd::Array& array, const fnd::Dictionary* properties);

private:
    AdwickFlexAd() = default;
    void buildFlexAd(gfx::Rect frame);
    void downloadDidSucceed(AdwickURLDownload& download);
    void downloadDidFail(AdwickURLDownload& download);
    void assetsDidFinishLoading();
    void failWithError(const fnd::Error& error);
    void cancelDownloads();

    std::vector<std::shared_ptr<ui::View>> viewsFromArray(const fnd::Array& array, size_t depth);
    std::shared_ptr<ui::View> labelFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame);
    std::shared_ptr<ui::View> imageViewFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame);
    std::shared_ptr<ui::View> gradientViewFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame);
    std::shared_ptr<ui::View> plainViewFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame);
    std::shared_ptr<ui::View> pagesViewFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame, size_t depth);

    std::shared_ptr<AdwickContext> context_;
    std::unordered_map<std::string, fnd::Bytes> assets_;
    std::weak_ptr<AdwickFlexAdDelegate> delegate_;
    std::weak_ptr<AdwickDelegate> adwickDelegate_;
    std::shared_ptr<AdwickFlexAdContainerView> containerView_;
    std::weak_ptr<AdwickFlexAdContainerView> handedContainer_;
    fnd::Value decodedMarkup_;
    std::set<std::shared_ptr<AdwickURLDownload>> downloads_;
    size_t elementsBuilt_ = 0;
    bool done_ = false;
};

// The real builder.
AdwickFlexAdFactory defaultFlexAdFactory();

} // namespace zelvan::adwick
