// ui::BackedView: a view with a persistent, flipped (y-down) backing context that survives between
// passes. Any thread may draw into it under the view's backing mutex; the display pass composites
// it. The game screen draws its ticks into this context from the game thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "platform/graphics/context.h"
#include "platform/graphics/image.h"
#include "platform/ui/view.h"

namespace ui {

class BackedView : public View {
public:
    std::string className() const override { return "BackedView"; }

    void initWithFrame(gfx::Rect frame) override;
    // Keeps the backing at the bounds size (its old pixels stay at the top-left).
    void layoutSubviews() override;

    // Runs `fn` with the backing context under the backing mutex; safe from any thread. Nothing
    // runs while the bounds are empty. Afterwards the window is recomposed at the next pass.
    void withBackingContext(const std::function<void(gfx::Context&)>& fn);
    // A copy of the backing's pixels under the mutex (null while there is none); any thread.
    gfx::ImagePtr copyBacking();
    // The current backing context (null while the bounds are empty); any thread. A resize replaces
    // it, so a holder that draws into it later checks it again (see backingDidChange).
    std::shared_ptr<gfx::Context> backingContext();
    // Holds the backing mutex for the lock's life: another thread drawing straight into the backing
    // context does it under this lock, so the display pass never copies half a draw.
    std::unique_lock<std::mutex> lockBacking() { return std::unique_lock(backingMutex_); }

protected:
    void drawContent(gfx::Context& ctx) override;
    // Main thread, outside the mutex: a resize has replaced the backing context.
    virtual void backingDidChange() {}

private:
    // Main thread: matches the backing to the bounds size; true when it replaced the context.
    bool syncBackingSize();

    std::mutex backingMutex_;
    std::shared_ptr<gfx::Context> backing_;
};

} // namespace ui
