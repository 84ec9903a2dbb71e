// ui::View: the rectangle of the view tree - geometry (frame from centre, bounds and transform),
// appearance, hierarchy with its hooks, autoresizing, coordinate conversion, the layout and display
// passes with per-view backing stores, hit testing, and rendering of a whole tree into a context.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/color.h"
#include "platform/graphics/context.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"
#include "platform/ui/animation_value.h"
#include "platform/ui/responder.h"
#include "platform/ui/view_animations.h"

namespace ui {

class Layer;
class Window;

enum class ContentMode {
    ScaleToFill = 0,
    AspectFit = 1,
    AspectFill = 2,
    Redraw = 3,
    Center = 4,
    Top = 5,
    Bottom = 6,
    Left = 7,
    Right = 8,
    TopLeft = 9,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

enum class AutoresizingMask : uint32_t {
    None = 0,
    FlexibleLeftMargin = 1,
    FlexibleWidth = 2,
    FlexibleRightMargin = 4,
    FlexibleTopMargin = 8,
    FlexibleHeight = 16,
    FlexibleBottomMargin = 32,
};
constexpr AutoresizingMask operator|(AutoresizingMask a, AutoresizingMask b) {
    return static_cast<AutoresizingMask>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr AutoresizingMask operator&(AutoresizingMask a, AutoresizingMask b) {
    return static_cast<AutoresizingMask>(static_cast<uint32_t>(a) & static_cast<uint32_t>(b));
}
constexpr bool hasFlag(AutoresizingMask set, AutoresizingMask flag) {
    return (static_cast<uint32_t>(set) & static_cast<uint32_t>(flag)) != 0;
}

class View : public Responder {
public:
    // Makes a T (constructed from `args`) and runs its `initWithFrame(frame)`. Subclasses build
    // their subviews in an `initWithFrame` override (after calling their base's), where
    // shared_from_this() already works.
    template <class T = View, class... Args>
    static std::shared_ptr<T> create(gfx::Rect frame, Args&&... args) {
        auto view = std::make_shared<T>(std::forward<Args>(args)...);
        view->initWithFrame(frame);
        return view;
    }

    View();
    ~View() override;

    std::string className() const override { return "View"; }

    // Sets the initial frame without recording an animation or resizing subviews.
    virtual void initWithFrame(gfx::Rect frame);

    // This view as a shared pointer of its own class (views always live in shared pointers).
    template <class T = View>
    std::shared_ptr<T> self() {
        return std::static_pointer_cast<T>(std::static_pointer_cast<View>(shared_from_this()));
    }

    // --- Geometry ---
    // The frame is the bounding box, in the superview's space, of the bounds taken through the
    // transform about the centre. Setting it on a transformed view sets the centre and a bounds
    // size found through the inverse transform.
    gfx::Rect frame() const;
    void setFrame(gfx::Rect frame);
    // The origin is the scroll offset of the content.
    gfx::Rect bounds() const { return bounds_; }
    void setBounds(gfx::Rect bounds);
    gfx::Point center() const { return center_; }
    void setCenter(gfx::Point center);
    gfx::AffineTransform transform() const { return transform_; }
    void setTransform(const gfx::AffineTransform& transform);

    // --- Appearance ---
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    // Clear by default.
    gfx::Color backgroundColor() const { return backgroundColor_; }
    virtual void setBackgroundColor(const gfx::Color& color);
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips);
    int64_t tag() const { return tag_; }
    void setTag(int64_t tag) { tag_ = tag; }
    // Depth-first, this view first; null when none matches.
    std::shared_ptr<View> viewWithTag(int64_t tag);
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode);
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setMultipleTouchEnabled(bool enabled) { multipleTouchEnabled_ = enabled; }

    // Where content of `contentSize` goes inside `bounds` under `mode` (Redraw and ScaleToFill
    // fill the bounds). Image views and backing stores share it.
    static gfx::Rect contentModeRect(ContentMode mode, gfx::Size contentSize, gfx::Rect bounds);

    // --- Hierarchy ---
    // Removes `view` from its old superview first. Adding a view to itself or to one of its own
    // descendants is refused (and logged).
    void addSubview(const std::shared_ptr<View>& view);
    void insertSubviewAtIndex(const std::shared_ptr<View>& view, size_t index);
    // When `sibling` is not a subview these add `view` on top.
    void insertSubviewAboveSubview(const std::shared_ptr<View>& view, const View* sibling);
    void insertSubviewBelowSubview(const std::shared_ptr<View>& view, const View* sibling);
    void bringSubviewToFront(const View* view);
    void sendSubviewToBack(const View* view);
    virtual void removeFromSuperview();
    // Back to front.
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    std::shared_ptr<View> superview() const { return superview_.lock(); }
    // The window at the root of this view's tree (the view itself when it is a window), or null.
    std::shared_ptr<Window> window() const;
    // True for the view itself too.
    bool isDescendantOfView(const View* view) const;

    // Hooks, called around every move. Window hooks reach the whole moved subtree.
    virtual void willMoveToSuperview(View* /*newSuperview*/) {}
    virtual void didMoveToSuperview() {}
    virtual void willMoveToWindow(Window* /*newWindow*/) {}
    virtual void didMoveToWindow() {}
    virtual void didAddSubview(View* /*subview*/) {}

    // --- Autoresizing ---
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool autoresizes) { autoresizesSubviews_ = autoresizes; }
    AutoresizingMask autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(AutoresizingMask mask) { autoresizingMask_ = mask; }

    // --- Coordinates ---
    // A null `view` means the window's space (screen space for a view outside any window).
    // Conversions pass through every transform and work between views of different windows.
    gfx::Point convertPointToView(gfx::Point point, const View* view) const;
    gfx::Point convertPointFromView(gfx::Point point, const View* view) const;
    gfx::Rect convertRectToView(gfx::Rect rect, const View* view) const;
    gfx::Rect convertRectFromView(gfx::Rect rect, const View* view) const;

    // --- Layout ---
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    // Lays out this view (when it needs it) and then its subtree.
    void layoutIfNeeded();
    virtual void layoutSubviews() {}
    // The default answers the current bounds size.
    virtual gfx::Size sizeThatFits(gfx::Size size) const;
    void sizeToFit();

    // --- Display ---
    // Record damage only; the display pass redraws. Safe from any thread.
    void setNeedsDisplay();
    void setNeedsDisplayInRect(gfx::Rect rect);
    // Draws into the current context (a y-down view context of the bounds, origin at the bounds
    // origin). Only views whose `drawsOwnContent()` answers true get a backing store.
    virtual void drawRect(gfx::Rect /*rect*/) {}
    virtual bool drawsOwnContent() const { return false; }
    // The committed backing store of the last display pass, or null.
    std::shared_ptr<gfx::Context> backingStore() const;
    // Redraws the damaged views of this subtree (main thread; the display pass and snapshots).
    void displayIfNeeded();

    // --- Hit testing ---
    // The deepest visible, interactive view under `point` (in this view's space), front to back;
    // null when this view is hidden, nearly transparent (alpha < 0.01), not interactive, or does
    // not contain the point.
    virtual std::shared_ptr<View> hitTest(gfx::Point point, const Event* event);
    virtual bool pointInside(gfx::Point point, const Event* event) const;

    // --- Rendering ---
    // Draws this view and its subtree into `ctx` with the view's top-left corner at the current
    // origin (its own position and transform are not applied; its alpha is): background, backing
    // store, the sublayers of the view's layer, then subviews, each with its transform, alpha and
    // clip. Hidden views and their subtrees are skipped.
    void renderInContext(gfx::Context& ctx);
    // An image of the view's current contents at its bounds size (runs layout and display).
    gfx::ImagePtr screenshot();

    // --- Layer ---
    // The view's own layer, created on first use by `layerClass()`.
    std::shared_ptr<Layer> layer();
    virtual std::shared_ptr<Layer> layerClass() const;

    // --- Responder chain ---
    // A controller's root view leads to its controller; any other view to its superview.
    Responder* nextResponder() const override;
    void setViewController(std::weak_ptr<Responder> controller) { controller_ = std::move(controller); }
    std::shared_ptr<Responder> viewController() const { return controller_.lock(); }

    // --- View animations (defined with the animation blocks, view_animations.cpp) ---
    static void beginAnimations(const std::string& name, void* context = nullptr);
    static void commitAnimations();
    static void setAnimationDuration(double seconds);
    static void setAnimationDelay(double seconds);
    static void setAnimationCurve(AnimationCurve curve);
    static void setAnimationBeginsFromCurrentState(bool fromCurrentState);
    static void setAnimationDelegate(std::weak_ptr<void> delegate);
    static void setAnimationWillStartSelector(AnimationWillStartSelector selector);
    static void setAnimationDidStopSelector(AnimationDidStopSelector selector);
    // Shows `view` changing with a flip or curl for the block's duration (None removes it). The view
    // draws its new state at once; the transition is logged and timed like the block's changes, and a
    // later transition on the same view stops it.
    static void setAnimationTransition(ViewAnimationTransition transition, View& view, bool cache);
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();

    // Whether this is a window (the root of a displayed tree).
    virtual bool isWindow() const { return false; }

protected:
    // Renders the view's own content (backing store) in its bounds space; BackedView replaces it.
    virtual void drawContent(gfx::Context& ctx);

private:
    friend class Window;

    void setBoundsSize(gfx::Size size);
    void setCenterQuietly(gfx::Point center) { center_ = center; }
    void resizeSubviews(gfx::Size oldSize);
    void autoresize(gfx::Size oldSuperSize, gfx::Size newSuperSize);
    void insertSubview(const std::shared_ptr<View>& view, size_t index);
    void detachFromSuperview();
    void notifyWillMoveToWindow(Window* window);
    void notifyDidMoveToWindow();
    void layoutSubtree();
    void displaySubtree();
    void redraw();
    // The transform from this view's space into its superview's space.
    gfx::AffineTransform transformToSuperview() const;
    // From this view's space into the space of its root (window or topmost view), then the screen.
    gfx::AffineTransform transformToRoot() const;
    gfx::AffineTransform transformToScreen() const;
    // From this view's space into `view`'s (null: the window's, or the screen's outside a window).
    gfx::AffineTransform conversionTo(const View* view) const;
    void renderTree(gfx::Context& ctx, double parentAlpha);
    // Copies the view's geometry and appearance onto its layer (when it has one).
    void syncLayer();
    void markNeedsDisplay(gfx::Rect rect);

    gfx::Rect bounds_;
    gfx::Point center_;
    gfx::AffineTransform transform_;
    double alpha_ = 1;
    bool hidden_ = false;
    bool opaque_ = true;
    gfx::Color backgroundColor_ = gfx::Color::clear();
    bool clipsToBounds_ = false;
    int64_t tag_ = 0;
    ContentMode contentMode_ = ContentMode::ScaleToFill;
    bool userInteractionEnabled_ = true;
    bool multipleTouchEnabled_ = false;
    bool autoresizesSubviews_ = true;
    AutoresizingMask autoresizingMask_ = AutoresizingMask::None;
    bool needsLayout_ = true;

    std::weak_ptr<View> superview_;
    std::vector<std::shared_ptr<View>> subviews_;
    std::weak_ptr<Responder> controller_;
    std::shared_ptr<Layer> layer_;

    // Damage and the committed backing store; setNeedsDisplay may come from any thread.
    mutable std::mutex displayMutex_;
    bool needsDisplay_ = false;
    gfx::Rect damage_ = gfx::Rect::null();
    std::shared_ptr<gfx::Context> backing_;
    gfx::ImagePtr backingImage_;
};

} // namespace ui
