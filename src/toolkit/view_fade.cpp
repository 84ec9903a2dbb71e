// The widget kit's fade of a view's alpha.
#include "toolkit/view_fade.h"

namespace zelvan {

void fadeView(const std::shared_ptr<ui::View>& view, const std::string& name, double alpha, double duration,
              std::function<void()> done) {
    ui::View::beginAnimations(name);
    ui::View::setAnimationDuration(duration);
    if (done) {
        ui::View::setAnimationDidStopSelector(
            [keep = view, done = std::move(done)](const std::string&, bool, void*) { done(); });
    }
    view->setAlpha(alpha);
    ui::View::commitAnimations();
}

} // namespace zelvan
