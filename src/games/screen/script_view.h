// ScriptView: the view a game is drawn on and touched. Its persistent backing is the engine's main
// surface (buffer slot 0); every repaint clears it and runs the script's "paint", and touches become
// calls of the script's touch entry points, one touch at a time or as lists of numbered touches.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "games/engine/base_script_engine.h"
#include "games/engine/natives/game_host.h"
#include "platform/ui/backed_view.h"
#include "platform/ui/touch.h"

namespace zelvan {

class ScriptView : public ui::BackedView {
public:
    std::string className() const override { return "ScriptView"; }
    void initWithFrame(gfx::Rect frame) override;

    // The engine that paints and hears touches; null once the game is disposed. Setting an engine
    // installs the backing as its slot 0 with the surface guard. Main thread.
    const std::shared_ptr<BaseScriptEngine>& parent() const { return parent_; }
    void setParent(std::shared_ptr<BaseScriptEngine> engine);

    // Clears the backing to transparent, then runs "paint" unless the game's state is -1.
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

    void touchesBegan(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, const ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) override;

    // Gives every touch not yet known the next id (1, 2, 3 ... never reused while the view lives).
    void assignTouchIds(const ui::TouchSet& touches);

    // The guard the engine's slot 0 carries (its surface is the current backing).
    const std::shared_ptr<SurfaceGuard>& surfaceGuard() const { return guard_; }

protected:
    void backingDidChange() override;

private:
    // Makes the current backing the engine's slot 0 (again after a resize replaced it).
    void installSurface();
    // Single-touch mode: `name` with [x, y] for every touch, each followed by a redraw.
    void callEachTouch(const char* name, const ui::TouchSet& touches);
    // Several-touches mode: one call of `name` with the entries of the touches in `phase`.
    void callTouchList(const char* name, const ui::TouchSet& touches, ui::TouchPhase phase);

    std::shared_ptr<BaseScriptEngine> parent_;
    std::shared_ptr<SurfaceGuard> guard_;
    // The engine whose slot 0 holds guard_'s surface.
    const BaseScriptEngine* installedIn_ = nullptr;
    std::map<std::shared_ptr<ui::Touch>, int32_t> touches_;
    int32_t touchSeq_ = 0;
};

} // namespace zelvan
