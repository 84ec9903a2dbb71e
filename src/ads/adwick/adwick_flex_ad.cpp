#include "ads/adwick/adwick_flex_ad.h"

#include <algorithm>

#include "ads/adwick/adwick_flex_views.h"
#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_url_download.h"
#include "core/main_thread.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url.h"
#include "platform/graphics/font.h"
#include "platform/ui/keyframe_animation.h"

namespace zelvan::adwick {

namespace {

const fnd::Value* member(const fnd::Dictionary& dictionary, std::string_view key) {
    return dictionary.find(fnd::Key(key));
}

const std::string* stringMember(const fnd::Dictionary& dictionary, std::string_view key) {
    const fnd::Value* value = member(dictionary, key);
    return value ? value->asString() : nullptr;
}

// Frames are kept within a few screens of the ad, so a markup cannot ask for a giant drawing surface.
gfx::Rect saneFrame(gfx::Rect frame) {
    constexpr double kLimit = 4096;
    auto clamp = [](double v, double lo, double hi) { return std::clamp(v, lo, hi); };
    return gfx::Rect(clamp(frame.origin.x, -kLimit, kLimit), clamp(frame.origin.y, -kLimit, kLimit),
                     clamp(frame.size.width, 0, kLimit), clamp(frame.size.height, 0, kLimit));
}

// A speed of 0 or less would stop time or run it backwards; it counts as 1.
double sanePositiveSpeed(double speed) {
    return speed > 0 ? speed : 1.0;
}

// The timing properties shared by animations and groups.
void applyTiming(ui::Animation& animation, const fnd::Dictionary* props, double defaultDuration) {
    auto get = [&](std::string_view key) { return props ? member(*props, key) : nullptr; };
    animation.setBeginTime(AdwickFlexAd::floatWithValue(get("bt"), 0));
    animation.setTimeOffset(AdwickFlexAd::floatWithValue(get("to"), 0));
    animation.setRepeatCount(AdwickFlexAd::floatWithValue(get("rc"), 1));
    animation.setDuration(AdwickFlexAd::floatWithValue(get("d"), defaultDuration));
    animation.setAutoreverses(AdwickFlexAd::boolWithValue(get("ar"), false));
    animation.setRemovedOnCompletion(AdwickFlexAd::boolWithValue(get("roc"), true));
    animation.setFillMode(AdwickFlexAd::fillModeWithValue(get("fm"), ui::FillMode::Removed));
    animation.setSpeed(sanePositiveSpeed(AdwickFlexAd::floatWithValue(get("s"), 1)));
}

} // namespace

AdwickFlexAdFactory defaultFlexAdFactory() {
    return [](const fnd::Value& markup, std::weak_ptr<AdwickFlexAdDelegate> delegate,
              std::weak_ptr<AdwickDelegate> publisher, gfx::Rect frame,
              const std::shared_ptr<AdwickContext>& context) -> std::shared_ptr<AdwickRichAd> {
        return AdwickFlexAd::initWithDictionary(markup, std::move(delegate), std::move(publisher), frame, context);
    };
}

AdwickFlexColors AdwickFlexAd::flexColors() const {
    if (context_ && context_->flexColors()) {
        return *context_->flexColors();
    }
    return AdwickFlexColors{};
}

std::shared_ptr<AdwickFlexAd>
AdwickFlexAd::initWithDictionary(const fnd::Value& markup, std::weak_ptr<AdwickFlexAdDelegate> delegate,
                                 std::weak_ptr<AdwickDelegate> adwickDelegate, gfx::Rect frame,
                                 std::shared_ptr<AdwickContext> context,
                                 std::unordered_map<std::string, fnd::Bytes> preloadedAssets) {
    std::shared_ptr<AdwickFlexAd> ad(new AdwickFlexAd());
    ad->context_ = std::move(context);
    ad->assets_ = std::move(preloadedAssets);
    ad->delegate_ = std::move(delegate);
    ad->adwickDelegate_ = std::move(adwickDelegate);
    ad->decodedMarkup_ = markup;
    // The colours are taken once, from the first flex ad's publisher.
    if (const auto& shared = ad->context_; shared && !shared->flexColors()) {
        AdwickFlexColors colors;
        if (auto publisher = ad->adwickDelegate_.lock()) {
            colors.primaryText = publisher->primaryTextColor().value_or(colors.primaryText);
            colors.secondaryText = publisher->secondaryTextColor().value_or(colors.secondaryText);
            colors.adBackground = publisher->adBackgroundColor().value_or(colors.adBackground);
        }
        shared->setFlexColors(colors);
    }
    ad->buildFlexAd(frame);
    return ad;
}

AdwickFlexAd::~AdwickFlexAd() {
    cancelDownloads();
}

std::shared_ptr<ui::View> AdwickFlexAd::containerView() {
    if (containerView_ && done_) {
        handedContainer_ = containerView_;
        return std::move(containerView_);
    }
    return container();
}

void AdwickFlexAd::cancel() {
    done_ = true;
    cancelDownloads();
}

void AdwickFlexAd::cancelDownloads() {
    auto downloads = std::move(downloads_);
    downloads_.clear();
    for (const auto& download : downloads) {
        download->cancel();
    }
}

void AdwickFlexAd::buildFlexAd(gfx::Rect frame) {
    containerView_ = ui::View::create<AdwickFlexAdContainerView>(frame);
    auto markup = decodedMarkup_.asDictionary();
    if (!markup) {
        markup = std::make_shared<fnd::Dictionary>();
    }
    const fnd::Value* assets = member(*markup, "$");
    if (assets != nullptr && !assets->asDictionary()) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the rich ad's asset table is not a table");
        failWithError(fnd::Error(std::string(kErrorDomain), kBadMarkupCode));
        return;
    }
    std::weak_ptr<AdwickFlexAd> weak = weak_from_this();
    std::vector<std::pair<std::shared_ptr<AdwickURLDownload>, std::string>> toStart;
    if (assets != nullptr) {
        size_t count = 0;
        for (const auto& [name, entry] : *assets->asDictionary()) {
            auto table = entry.asDictionary();
            const std::string* url = table ? stringMember(*table, "u") : nullptr;
            if (url == nullptr || !name.isString() || assets_.count(name.stringKey()) != 0) {
                continue;
            }
            auto parsed = fnd::Url::parse(*url);
            if (!parsed || (parsed->scheme() != "http" && parsed->scheme() != "https")) {
                ZLOG_TO(kAdwickLog, Info, "adwick: the rich ad's asset %@ is not a web URL; skipped",
                        fnd::logPreview(*url));
                continue;
            }
            if (++count > kMaxAssets) {
                ZLOG_TO(kAdwickLog, Info, "adwick: the rich ad names more than %zu assets; the rest are skipped",
                        kMaxAssets);
                break;
            }
            auto download =
                AdwickURLDownload::create(context_ ? context_->downloadSettings() : AdwickDownloadSettings{});
            download->setIdentifier(name.stringKey());
            download->setDelegate(weak);
            download->setSuccessSelector([weak](AdwickURLDownload& d) {
                if (auto self = weak.lock()) {
                    self->downloadDidSucceed(d);
                }
            });
            download->setFailureSelector([weak](AdwickURLDownload& d) {
                if (auto self = weak.lock()) {
                    self->downloadDidFail(d);
                }
            });
            downloads_.insert(download);
            toStart.emplace_back(download, *url);
        }
    }
    containerView_->setInitialTouchIgnoreDuration(floatWithValue(member(*markup, "itid"), 0));
    const gfx::Rect area = rectWithValue(member(*markup, "ta"), gfx::Rect());
    containerView_->setTouchableArea(area.size.width >= 44 && area.size.height >= 44 ? area : containerView_->bounds());
    containerView_->setUseCATransaction(boolWithValue(member(*markup, "ucat"), true));

    if (downloads_.empty()) {
        // Finished from the run loop, so the owner has the flex ad in hand when it hears.
        onMain(weak, &AdwickFlexAd::assetsDidFinishLoading);
        return;
    }
    // Started only once all are known, so a download failing at once cannot race the rest.
    for (const auto& [download, url] : toStart) {
        if (done_) {
            break;
        }
        download->loadContentsOfURLAtString(url);
    }
}

void AdwickFlexAd::downloadDidSucceed(AdwickURLDownload& download) {
    auto held = download.shared_from_this();
    if (done_) {
        return;
    }
    assets_[download.identifier()] = download.data();
    downloads_.erase(held);
    if (downloads_.empty()) {
        assetsDidFinishLoading();
    }
}

void AdwickFlexAd::downloadDidFail(AdwickURLDownload& download) {
    auto held = download.shared_from_this();
    if (done_) {
        return;
    }
    downloads_.erase(held);
    cancelDownloads();
    failWithError(download.error().value_or(fnd::Error(std::string(kErrorDomain), kBadMarkupCode)));
}

void AdwickFlexAd::failWithError(const fnd::Error& error) {
    if (done_) {
        return;
    }
    done_ = true;
    cancelDownloads();
    // Told from the run loop, never from inside the owner's own call.
    onMain(weak_from_this(), [error](AdwickFlexAd& self) {
        if (auto delegate = self.delegate_.lock()) {
            delegate->flexAdDidFailLoadWithError(self, error);
        }
    });
}

void AdwickFlexAd::assetsDidFinishLoading() {
    if (done_) {
        return;
    }
    done_ = true;
    auto keep = shared_from_this();
    auto markup = decodedMarkup_.asDictionary();
    const fnd::Value* views = markup ? member(*markup, "v") : nullptr;
    if (auto array = views ? views->asArray() : nullptr) {
        for (const auto& view : viewsFromArray(*array, 0)) {
            containerView_->addSubview(view);
        }
    }
    cancelDownloads();
    assets_.clear();
    decodedMarkup_ = fnd::Value();
    if (auto delegate = delegate_.lock()) {
        delegate->flexAdDidLoad(*this);
    }
}

std::vector<std::shared_ptr<ui::View>> AdwickFlexAd::viewsFromArray(const fnd::Array& array, size_t depth) {
    std::vector<std::shared_ptr<ui::View>> built;
    if (depth >= kMaxDepth) {
        ZLOG_TO(kAdwickLog, Info, "adwick: the rich ad nests deeper than %zu levels; the deeper views are skipped",
                kMaxDepth);
        return built;
    }
    for (size_t i = 0; i < array.count(); ++i) {
        auto element = array.objectAtIndex(i).asDictionary();
        const std::string* type = element ? stringMember(*element, "t") : nullptr;
        if (type == nullptr) {
            continue;
        }
        if (elementsBuilt_ >= kMaxElements) {
            ZLOG_TO(kAdwickLog, Info, "adwick: the rich ad has more than %zu elements; the rest are skipped",
                    kMaxElements);
            break;
        }
        ++elementsBuilt_;
        const gfx::Rect frame = saneFrame(rectWithValue(member(*element, "f"), gfx::Rect()));
        std::shared_ptr<ui::View> view;
        if (*type == "l") {
            view = labelFromDictionary(*element, frame);
        } else if (*type == "i") {
            view = imageViewFromDictionary(*element, frame);
        } else if (*type == "bg") {
            view = gradientViewFromDictionary(*element, frame);
        } else if (*type == "p") {
            view = pagesViewFromDictionary(*element, frame, depth);
        } else if (*type == "P") {
            view = plainViewFromDictionary(*element, frame);
        }
        if (!view) {
            continue;
        }
        view->setBackgroundColor(colorWithValue(member(*element, "bgc"), gfx::Color::clear()));
        if (member(*element, "cav") != nullptr) {
            containerView_->setClickAnimationView(view);
        }
        auto* flex = dynamic_cast<AdwickFlexAdViewProtocol*>(view.get());
        if (flex != nullptr) {
            const fnd::Value* animations = member(*element, "a");
            const fnd::Value* group = member(*element, "ag");
            if (auto list = animations ? animations->asArray() : nullptr) {
                auto properties = group ? group->asDictionary() : nullptr;
                flex->setAnimation(animationGroupFromArray(*list, properties.get()));
            }
            if (const std::string* tag = stringMember(*element, "ut")) {
                flex->setUiTag(*tag);
            }
            if (flex->takesContainerView()) {
                flex->setContainerView(containerView_);
            }
        }
        built.push_back(std::move(view));
    }
    return built;
}

std::shared_ptr<ui::View> AdwickFlexAd::labelFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame) {
    auto label = ui::View::create<AdwickLabelView>(frame);
    if (const std::string* text = stringMember(dictionary, "x")) {
        label->setText(*text);
    }
    // Font sizes past any screen's height are bounded like frames are.
    const double size = std::clamp(floatWithValue(member(dictionary, "fs"), gfx::Font::systemFontSize()), 0.0, 512.0);
    std::shared_ptr<gfx::Font> font;
    if (const std::string* name = stringMember(dictionary, "fn")) {
        font = gfx::Font::withName(*name, size);
    }
    label->setFont(font ? font : gfx::Font::systemFontOfSize(size));
    const AdwickFlexColors colors = flexColors();
    const gfx::Color byCode =
        integerWithValue(member(dictionary, "fc"), 0) == 1 ? colors.secondaryText : colors.primaryText;
    label->setTextColor(colorWithValue(member(dictionary, "fco"), byCode));
    label->setAdjustsFontSizeToFitWidth(boolWithValue(member(dictionary, "afstfw"), true));
    label->setMinimumFontSize(std::clamp(floatWithValue(member(dictionary, "mfs"), 8), 0.0, 512.0));
    label->setNumberOfLines(
        static_cast<int>(std::clamp<int64_t>(integerWithValue(member(dictionary, "nol"), 1), 0, 1000)));
    return label;
}

std::shared_ptr<ui::View> AdwickFlexAd::imageViewFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame) {
    const std::string* name = stringMember(dictionary, "$");
    if (name == nullptr) {
        return nullptr;
    }
    auto asset = assets_.find(*name);
    if (asset == assets_.end()) {
        ZLOG_TO(kAdwickLog, Info, "adwick: the rich ad's image %@ has no asset; dropped", fnd::logPreview(*name));
        return nullptr;
    }
    auto image = gfx::Image::imageWithData(std::span<const uint8_t>(asset->second.data(), asset->second.size()));
    if (!image) {
        ZLOG_TO(kAdwickLog, Info, "adwick: the rich ad's image %@ does not decode; dropped", fnd::logPreview(*name));
        return nullptr;
    }
    auto view = ui::View::create<AdwickImageView>(frame);
    view->image = std::move(image);
    view->beveled = boolWithValue(member(dictionary, "b"), false);
    if (view->beveled) {
        view->bevelWidth = floatWithValue(member(dictionary, "bw"), 0.5);
    }
    view->bevelRadius = floatWithValue(member(dictionary, "br"), 6.5);
    view->bevelCornerMeetingPoint = floatWithValue(member(dictionary, "bcmp"), 0.5);
    view->bevelDarkColor = colorWithValue(member(dictionary, "bdc"), gfx::Color(0.4, 0.4, 0.4, 1));
    view->bevelLightColor = colorWithValue(member(dictionary, "blc"), gfx::Color(0.937, 0.937, 0.937, 1));
    return view;
}

std::shared_ptr<ui::View> AdwickFlexAd::gradientViewFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame) {
    const double initialAlpha = floatWithValue(member(dictionary, "ia"), 0.5);
    // The end point: "ep" when the markup gives it; else "ia" as older markups send it (one key for
    // both); else the default.
    double endPoint = kDefaultGradientEndPoint;
    if (member(dictionary, "ep") != nullptr) {
        endPoint = floatWithValue(member(dictionary, "ep"), kDefaultGradientEndPoint);
    } else if (member(dictionary, "ia") != nullptr) {
        endPoint = floatWithValue(member(dictionary, "ia"), kDefaultGradientEndPoint);
    }
    auto view = ui::View::create<AdwickGradientView>(frame);
    view->setUp(colorWithValue(member(dictionary, "bc"), flexColors().adBackground), initialAlpha, endPoint);
    return view;
}

std::shared_ptr<ui::View> AdwickFlexAd::plainViewFromDictionary(const fnd::Dictionary& /*dictionary*/,
                                                                gfx::Rect frame) {
    return ui::View::create<AdwickPlainView>(frame);
}

std::shared_ptr<ui::View> AdwickFlexAd::pagesViewFromDictionary(const fnd::Dictionary& dictionary, gfx::Rect frame,
                                                                size_t depth) {
    const std::string* presentation = stringMember(dictionary, "pr");
    if (member(dictionary, "pr") != nullptr && (presentation == nullptr || *presentation != "s")) {
        return nullptr;
    }
    auto view = ui::View::create<AdwickPagingScrollView>(frame);
    view->setInitialPage(
        static_cast<unsigned>(std::clamp<int64_t>(integerWithValue(member(dictionary, "ip"), 0), 0, 1 << 16)));
    const fnd::Value* pagesValue = member(dictionary, "p");
    auto pages = pagesValue ? pagesValue->asArray() : nullptr;
    const int count = pages ? static_cast<int>(std::min<size_t>(pages->count(), kMaxElements)) : 0;
    view->setNumberOfPages(count, containerView_);
    for (int i = 0; i < count; ++i) {
        auto page = pages->objectAtIndex(static_cast<size_t>(i)).asDictionary();
        const fnd::Value* content = page ? member(*page, "v") : nullptr;
        auto list = content ? content->asArray() : nullptr;
        if (!list) {
            continue;
        }
        for (const auto& child : viewsFromArray(*list, depth + 1)) {
            view->addContentSubview(child, i);
        }
    }
    return view;
}

ui::AnimationPtr AdwickFlexAd::basicAnimationFromDictionary(const fnd::Dictionary& dictionary) {
    const std::string* keyPath = stringMember(dictionary, "kp");
    const std::string* type = stringMember(dictionary, "vt");
    if (keyPath == nullptr || type == nullptr) {
        return nullptr;
    }
    auto from = valueOfType(*type, member(dictionary, "fv"), &defaultAnimationFromValueWithValueType);
    auto to = valueOfType(*type, member(dictionary, "tv"), &defaultAnimationToValueWithValueType);
    if (!from || !to) {
        return nullptr;
    }
    auto animation = ui::BasicAnimation::animationWithKeyPath(*keyPath);
    animation->setFromValue(from);
    animation->setToValue(to);
    animation->setTimingFunction(timingFunctionWithValue(member(dictionary, "tf"), ui::TimingFunction::Linear));
    return animation;
}

ui::AnimationPtr AdwickFlexAd::keyframeAnimationFromDictionary(const fnd::Dictionary& dictionary) {
    const std::string* keyPath = stringMember(dictionary, "kp");
    const std::string* type = stringMember(dictionary, "vt");
    const fnd::Value* valuesValue = member(dictionary, "vs");
    auto values = valuesValue ? valuesValue->asArray() : nullptr;
    if (keyPath == nullptr || type == nullptr || !values) {
        return nullptr;
    }
    const size_t count = values->count();
    std::vector<double> keyTimes;
    if (const fnd::Value* kt = member(dictionary, "kt")) {
        auto times = kt->asArray();
        if (!times || times->count() != count || count == 0) {
            return nullptr;
        }
        for (size_t i = 0; i < count; ++i) {
            const fnd::Value& item = times->objectAtIndex(i);
            if (item.kind() != fnd::Value::Kind::Int && item.kind() != fnd::Value::Kind::Double &&
                item.kind() != fnd::Value::Kind::Decimal) {
                return nullptr;
            }
            keyTimes.push_back(item.doubleValue());
        }
        if (keyTimes.front() != 0 || keyTimes.back() != 1) {
            return nullptr;
        }
    }
    std::vector<ui::TimingFunction> functions;
    if (const fnd::Value* tfs = member(dictionary, "tfs")) {
        auto list = tfs->asArray();
        if (!list || count == 0 || list->count() != count - 1) {
            return nullptr;
        }
        for (size_t i = 0; i < list->count(); ++i) {
            const fnd::Value& item = list->objectAtIndex(i);
            if (!item.asString()) {
                return nullptr;
            }
            functions.push_back(timingFunctionWithValue(&item, ui::TimingFunction::Default));
        }
    }
    std::vector<ui::AnimationValue> converted;
    for (size_t i = 0; i < count; ++i) {
        if (auto value = valueOfType(*type, &values->objectAtIndex(i), &defaultAnimationToValueWithValueType)) {
            converted.push_back(std::move(*value));
        }
    }
    if (converted.empty()) {
        return nullptr;
    }
    auto animation = ui::KeyframeAnimation::animationWithKeyPath(*keyPath);
    animation->setValues(std::move(converted));
    animation->setKeyTimes(std::move(keyTimes));
    animation->setTimingFunctions(std::move(functions));
    return animation;
}

ui::AnimationPtr AdwickFlexAd::animationGroupFromArray(const fnd::Array& array, const fnd::Dictionary* properties) {
    std::vector<ui::AnimationPtr> animations;
    double latestEnd = 0;
    for (size_t i = 0; i < array.count() && i < kMaxElements; ++i) {
        auto entry = array.objectAtIndex(i).asDictionary();
        const std::string* kind = entry ? stringMember(*entry, "t") : nullptr;
        if (kind == nullptr) {
            continue;
        }
        ui::AnimationPtr animation;
        if (*kind == "B") {
            animation = basicAnimationFromDictionary(*entry);
        } else if (*kind == "K") {
            animation = keyframeAnimationFromDictionary(*entry);
        }
        if (!animation) {
            continue;
        }
        applyTiming(*animation, entry.get(), 0.25);
        const double end =
            (animation->beginTime() + animation->timeOffset() + animation->duration() * animation->repeatCount()) /
            animation->speed();
        latestEnd = std::max(latestEnd, end);
        animations.push_back(std::move(animation));
    }
    if (animations.empty()) {
        return nullptr;
    }
    auto group = ui::AnimationGroup::animation();
    group->setAnimations(std::move(animations));
    applyTiming(*group, properties, latestEnd);
    return group;
}

} // namespace zelvan::adwick
