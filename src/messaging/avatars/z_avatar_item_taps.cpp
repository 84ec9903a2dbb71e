// What a tap on an item of the avatar item bar does: the marker, the item's picture files from the
// web cache, the page's avatarbartapped and avatarimageloaded calls, and the tap animation.
#include <algorithm>
#include <string>
#include <vector>

#include "messaging/avatars/z_avatar_item_bar.h"
#include "platform/foundation/format.h"
#include "platform/foundation/log_preview.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/layer.h"
#include "platform/ui/web_view.h"
#include "protocol/tracer.h"
#include "web/js_escape.h"
#include "web/zelvan_web_cache.h"

namespace zelvan {
namespace {

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& part : parts) {
        if (!out.empty()) {
            out += '~';
        }
        out += part;
    }
    return out;
}

} // namespace

std::vector<std::string> ZAvatarItemBar::pictureParts(const AvatarItem& item) {
    std::vector<std::string> parts;
    std::string_view rest = item.itemUrlString;
    while (true) {
        const size_t cut = rest.find('~');
        std::string_view part = rest.substr(0, cut);
        if (!part.empty()) {
            parts.emplace_back(part);
        }
        if (cut == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(cut + 1);
    }
    return parts;
}

void ZAvatarItemBar::buttonClicked(ui::Control& button) {
    std::lock_guard guard(lock_);
    const auto found =
        std::find_if(avatarBarButtons_.begin(), avatarBarButtons_.end(),
                     [&button](const std::shared_ptr<ui::Button>& item) { return item.get() == &button; });
    if (found == avatarBarButtons_.end()) {
        return;
    }
    const std::shared_ptr<ui::Button> tapped = *found;
    const size_t index = static_cast<size_t>(found - avatarBarButtons_.begin());
    if (index >= iconRequests_.size() || index >= avatarItems_.size() || iconRequests_[index]) {
        return;
    }

    if (markerIndex_ == static_cast<int32_t>(index)) {
        selectedView_->setHidden(!selectedView_->isHidden());
    } else {
        moveMarkerTo(index);
    }
    selectedIndex_ = selectedView_->isHidden() ? -1 : static_cast<int32_t>(index);
    scrolling_ = true;
    backgroundView_->scrollRectToVisible(tapped->frame(), ui::Animated::Yes);

    cancelImageRequests();
    const std::shared_ptr<ZelvanURLConnectionDelegate> delegate = self<ZAvatarItemBar>();
    std::vector<std::string> files;
    for (const std::string& part : pictureParts(avatarItems_[index])) {
        std::shared_ptr<ZelvanURLRequest> request;
        if (auto path = cache_->cacheFilePathWithRelativeUrl(part, itemBaseURL_, delegate, &request)) {
            files.push_back("file://" + *path);
        } else if (request) {
            imgRequests_.push_back(request);
        } else {
            ZTRACE_WARN("avatar item bar: the picture URL %@ of item %d does not resolve", fnd::logPreview(part),
                        avatarItems_[index].itemId);
        }
    }
    if (imgRequests_.empty()) {
        callPage("avatarbartapped", index, joined(files));
    } else {
        fnd::Value queued = fnd::Value::array();
        for (const auto& request : imgRequests_) {
            queued.asArray()->addObject(fnd::Value(request));
        }
        cache_->insertURLRequests(queued);
        reqIndex_ = static_cast<int32_t>(index);
        callPage("avatarbartapped", index, std::string());
    }
    if (animationDuration_ > 0) {
        playTapAnimation(*tapped);
    }
}

void ZAvatarItemBar::pictureLoaded(const std::shared_ptr<ZelvanURLRequest>& request) {
    const auto found = std::find(imgRequests_.begin(), imgRequests_.end(), request);
    if (found == imgRequests_.end()) {
        return;
    }
    imgRequests_.erase(found);
    if (!imgRequests_.empty() || reqIndex_ < 0 || static_cast<size_t>(reqIndex_) >= avatarItems_.size()) {
        return;
    }
    const size_t index = static_cast<size_t>(reqIndex_);
    std::vector<std::string> files;
    for (const std::string& part : pictureParts(avatarItems_[index])) {
        if (auto url = cache_->absoluteUrlStringWithRelativeUrl(part, itemBaseURL_, true)) {
            files.push_back(*url);
        } else {
            ZTRACE_WARN("avatar item bar: a picture URL of item %d should not be nil", avatarItems_[index].itemId);
        }
    }
    callPage("avatarimageloaded", index, joined(files));
}

void ZAvatarItemBar::callPage(const char* name, size_t index, const std::string& files) {
    const auto page = std::dynamic_pointer_cast<ui::WebView>(webView_.lock());
    if (!page) {
        ZTRACE_WARN("avatar item bar: no page to tell %s", name);
        return;
    }
    const AvatarItem& item = avatarItems_[index];
    const std::string icon =
        cache_->absoluteUrlStringWithRelativeUrl(item.iconUrlString, itemBaseURL_, true).value_or(std::string());
    const int32_t selected = selectedIndex_ == static_cast<int32_t>(index) ? 1 : 0;
    page->stringByEvaluatingJavaScriptFromString(
        fnd::format("%s(%d, %d, %d, %@, %@, %d, %d, %d, %d)", name, selected, flag_, item.itemId,
                    jsStringLiteral(files), jsStringLiteral(icon), item.price, item.x, item.y, item.z));
}

void ZAvatarItemBar::playTapAnimation(ui::Button& target) {
    auto scale = ui::BasicAnimation::animationWithKeyPath("transform");
    scale->setFromValue(ui::Transform3D::identity());
    scale->setToValue(ui::Transform3D::makeScale(kTapScale, kTapScale, 1));
    auto opacity = ui::BasicAnimation::animationWithKeyPath("opacity");
    opacity->setToValue(kTapOpacity);
    auto group = ui::AnimationGroup::animation();
    group->setAnimations({scale, opacity});
    group->setTimingFunction(ui::TimingFunction::EaseInEaseOut);
    group->setAutoreverses(true);
    group->setDuration(animationDuration_ / 1000.0);
    target.layer()->addAnimation(group, kTapAnimationKey);
}

} // namespace zelvan
