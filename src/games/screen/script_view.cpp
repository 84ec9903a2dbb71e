// ScriptView: slot 0 installation with the surface guard, the repaint, and the two touch modes.
#include "games/screen/script_view.h"

#include <cmath>

namespace zelvan {
namespace {

// Holds a view's backing mutex and the view itself until released.
struct PixelLock {
    std::shared_ptr<ui::BackedView> view;
    std::unique_lock<std::mutex> lock;
};

} // namespace

void ScriptView::initWithFrame(gfx::Rect frame) {
    guard_ = std::make_shared<SurfaceGuard>();
    std::weak_ptr<ui::BackedView> weak = std::static_pointer_cast<ui::BackedView>(shared_from_this());
    guard_->lockPixels = [weak]() -> std::shared_ptr<void> {
        std::shared_ptr<ui::BackedView> view = weak.lock();
        if (view == nullptr) {
            return nullptr;
        }
        auto held = std::make_shared<PixelLock>();
        held->lock = view->lockBacking();
        held->view = std::move(view);
        return held;
    };
    ui::BackedView::initWithFrame(frame);
}

void ScriptView::setParent(std::shared_ptr<BaseScriptEngine> engine) {
    parent_ = std::move(engine);
    installedIn_ = nullptr;
    installSurface();
}

void ScriptView::backingDidChange() {
    installedIn_ = nullptr;
    installSurface();
}

void ScriptView::installSurface() {
    if (guard_ == nullptr) {
        return; // the base class sized the backing before the guard exists
    }
    std::shared_ptr<gfx::Context> surface = backingContext();
    bool changed;
    {
        std::lock_guard lock(guard_->lock);
        changed = guard_->surface != surface;
        guard_->surface = surface;
    }
    std::shared_ptr<BaseScriptEngine> engine = parent_;
    if (engine != nullptr && surface != nullptr && (changed || installedIn_ != engine.get())) {
        engine->setContext(surface, 0, guard_);
        installedIn_ = engine.get();
    }
}

void ScriptView::drawRect(gfx::Rect) {
    std::shared_ptr<BaseScriptEngine> engine = parent_;
    if (engine == nullptr) {
        return;
    }
    installSurface();
    withBackingContext([](gfx::Context& ctx) {
        gfx::StateSaver saver(ctx);
        ctx.clearRect(gfx::Rect(0, 0, ctx.width(), ctx.height()));
    });
    if (engine->state() != -1) {
        engine->call("paint", fnd::Value());
    }
}

namespace {

fnd::Value point(const ui::Touch& touch, const ui::View* view) {
    gfx::Point p = touch.locationInView(view);
    return fnd::Value::array({static_cast<int64_t>(std::trunc(p.x)), static_cast<int64_t>(std::trunc(p.y))});
}

} // namespace

void ScriptView::callEachTouch(const char* name, const ui::TouchSet& touches) {
    for (const auto& touch : touches) {
        std::shared_ptr<BaseScriptEngine> engine = parent_;
        if (engine == nullptr) {
            return;
        }
        engine->call(name, point(*touch, this));
        setNeedsDisplay();
    }
}

void ScriptView::assignTouchIds(const ui::TouchSet& touches) {
    for (const auto& touch : touches) {
        if (touches_.find(touch) == touches_.end()) {
            touches_.emplace(touch, ++touchSeq_);
        }
    }
}

void ScriptView::callTouchList(const char* name, const ui::TouchSet& touches, ui::TouchPhase phase) {
    std::shared_ptr<BaseScriptEngine> engine = parent_;
    if (engine == nullptr) {
        return;
    }
    assignTouchIds(touches);
    fnd::Value entries = fnd::Value::array();
    for (const auto& touch : touches) {
        if (touch->phase() != phase) {
            continue;
        }
        gfx::Point p = touch->locationInView(this);
        entries.asArray()->addObject(fnd::Value::array(
            {static_cast<int64_t>(touches_[touch]), static_cast<int64_t>(std::trunc(p.x)),
             static_cast<int64_t>(std::trunc(p.y)), static_cast<int64_t>(std::trunc(touch->timestamp() * 1000))}));
        if (phase == ui::TouchPhase::Ended) {
            touches_.erase(touch);
        }
    }
    engine->call(name, fnd::Value::array({entries}));
}

void ScriptView::touchesBegan(const ui::TouchSet& touches, const ui::Event*) {
    if (isMultipleTouchEnabled()) {
        callTouchList("touchesBegan", touches, ui::TouchPhase::Began);
    } else {
        callEachTouch("touch", touches);
    }
}

void ScriptView::touchesMoved(const ui::TouchSet& touches, const ui::Event*) {
    if (isMultipleTouchEnabled()) {
        callTouchList("touchesMoved", touches, ui::TouchPhase::Moved);
    } else {
        callEachTouch("touchMove", touches);
    }
}

void ScriptView::touchesEnded(const ui::TouchSet& touches, const ui::Event*) {
    if (isMultipleTouchEnabled()) {
        callTouchList("touchesEnded", touches, ui::TouchPhase::Ended);
    } else {
        callEachTouch("untouch", touches);
    }
}

void ScriptView::touchesCancelled(const ui::TouchSet& touches, const ui::Event*) {
    for (const auto& touch : touches) {
        touches_.erase(touch);
    }
}

} // namespace zelvan
