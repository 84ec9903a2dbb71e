// ORVUtil's view operations: the SDK's numbered transitions and a centred image view.
#include "offers/orvane/client/orv_util.h"
#include "platform/ui/basic_animation.h"
#include "platform/ui/image_view.h"
#include "platform/ui/layer.h"
#include "platform/ui/view.h"

namespace zelvan::orvane {

namespace {

constexpr const char* kAnimationName = "ORVTransition";

// The side of transitions 0-3 (in) and 5-8 (out): top, bottom, left, right.
constexpr ui::TransitionSubtype kSides[] = {ui::TransitionSubtype::FromTop, ui::TransitionSubtype::FromBottom,
                                            ui::TransitionSubtype::FromLeft, ui::TransitionSubtype::FromRight};

void layerTransition(const std::shared_ptr<ui::View>& view, ui::TransitionType type, ui::TransitionSubtype side,
                     double seconds) {
    auto transition = ui::Transition::animation();
    transition->setType(type);
    transition->setSubtype(side);
    transition->setDuration(seconds);
    view->layer()->addAnimation(transition, kAnimationName);
}

void fade(const std::shared_ptr<ui::View>& view, double from, double to, double seconds) {
    view->setAlpha(from);
    ui::View::beginAnimations(kAnimationName);
    ui::View::setAnimationDuration(seconds);
    view->setAlpha(to);
    ui::View::commitAnimations();
}

} // namespace

void ORVUtil::animateORVView(const std::shared_ptr<ui::View>& view, int effect, double seconds) {
    if (!view) {
        return;
    }
    if (effect >= InFromTop && effect <= InFromRight) {
        layerTransition(view, ui::TransitionType::MoveIn, kSides[effect - InFromTop], seconds);
    } else if (effect >= OutToTop && effect <= OutToRight) {
        layerTransition(view, ui::TransitionType::Reveal, kSides[effect - OutToTop], seconds);
    } else if (effect == FadeIn) {
        fade(view, 0, 1, seconds);
    } else if (effect == FadeOut) {
        fade(view, view->alpha(), 0, seconds);
    }
}

std::shared_ptr<ui::ImageView> ORVUtil::getCenteredImageViewWithImg(const gfx::ImagePtr& image,
                                                                    const std::shared_ptr<ui::View>& view, double y) {
    auto imageView = ui::ImageView::initWithImage(image);
    const gfx::Size size = image ? image->size() : gfx::Size();
    const double width = view ? view->bounds().width() : 0;
    imageView->setFrame(gfx::Rect((width - size.width) / 2, y, size.width, size.height));
    return imageView;
}

} // namespace zelvan::orvane
