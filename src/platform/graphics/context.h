// gfx::Context: a 2D drawing surface over a cairo ARGB32 image surface, with the graphics state,
// path building, fills, strokes, clipping, gradients, shadows and image drawing that drawing code uses.
// Bitmap contexts (bitmap_context.h) are y-up; view and image contexts are y-down.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace gfx {

class Image;
class Gradient;
class Layer;
class Path;

enum class LineCap { Butt = 0, Round = 1, Square = 2 };
enum class LineJoin { Miter = 0, Round = 1, Bevel = 2 };
// Default is bilinear; None is nearest-neighbour. Low and High behave like Default.
enum class InterpolationQuality { Default = 0, None = 1, Low = 2, High = 3 };
// Normal is source-over; Copy replaces the destination wherever the shape covers it.
enum class BlendMode { Normal = 0, Copy = 17 };
// Which way addArc sweeps: Yes towards decreasing angles, No towards increasing angles.
enum class Clockwise { No = 0, Yes = 1 };

// How drawPath paints the current path (the original's numbering).
enum class PathDrawingMode { Fill = 0, EOFill = 1, Stroke = 2, FillStroke = 3, EOFillStroke = 4 };

enum class GradientDrawingOptions : uint32_t { None = 0, DrawsBeforeStart = 1, DrawsAfterEnd = 2 };
constexpr GradientDrawingOptions operator|(GradientDrawingOptions a, GradientDrawingOptions b) {
    return static_cast<GradientDrawingOptions>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}
constexpr bool hasOption(GradientDrawingOptions set, GradientDrawingOptions o) {
    return (static_cast<uint32_t>(set) & static_cast<uint32_t>(o)) != 0;
}

// A drawing context. Used by one thread at a time.
//
// Spaces: device space is the surface's pixel grid, origin at memory row 0, y down. The base space
// is the same grid with y up (origin at the bottom-left of the surface). getCTM() reports the
// transform from user space to that base space, so a fresh bitmap context reports the identity and
// a fresh view or image context of height H reports {1, 0, 0, -1, 0, H}.
class Context {
public:
    // A y-down context (origin top-left), initially transparent: what views and image contexts draw
    // into. Null when the size is not positive or too large.
    static std::shared_ptr<Context> createView(int width, int height);

    virtual ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }

    // --- Graphics state (saved and restored together with the CTM and the clip) ---
    void saveGState();
    // With nothing saved this does nothing (and logs).
    void restoreGState();

    void translateCTM(double tx, double ty);
    // Negative scales flip; a zero scale makes drawing paint nothing until the state is restored.
    void scaleCTM(double sx, double sy);
    void rotateCTM(double angle);
    // Applies `t` before the current transform (user points go through `t` first).
    void concatCTM(const AffineTransform& t);
    // User space to base space (y up); see the class comment.
    AffineTransform getCTM() const;

    // A global alpha applied over everything drawn, clamped to 0...1.
    void setAlpha(double alpha);
    void setFillColor(const Color& color);
    void setStrokeColor(const Color& color);
    void setRGBFillColor(double r, double g, double b, double a);
    void setRGBStrokeColor(double r, double g, double b, double a);
    void setGrayFillColor(double gray, double alpha);
    void setGrayStrokeColor(double gray, double alpha);
    // The space that component setFillColor reads: RGB (r, g, b, a) or Gray (white, a).
    void setFillColorSpace(ColorSpace space);
    // Sets the fill from components in the fill colour space; too few components are ignored.
    void setFillColor(std::span<const double> components);
    const Color& fillColor() const { return state_.fill; }
    const Color& strokeColor() const { return state_.stroke; }
    void setLineWidth(double width);
    void setLineCap(LineCap cap);
    void setLineJoin(LineJoin join);
    // On by default.
    void setShouldAntialias(bool antialias);
    void setInterpolationQuality(InterpolationQuality quality);
    // Offset in base-space pixels (y up, whatever the CTM), blur in device pixels, black at 1/3 alpha.
    void setShadow(Size offset, double blur);
    // A null colour turns the shadow off.
    void setShadowWithColor(Size offset, double blur, std::optional<Color> color);
    void setBlendMode(BlendMode mode);

    // --- Paths (points are in user space and taken through the CTM as they are added) ---
    void beginPath();
    void moveToPoint(double x, double y);
    void moveToPoint(Point p) { moveToPoint(p.x, p.y); }
    void addLineToPoint(double x, double y);
    void addLineToPoint(Point p) { addLineToPoint(p.x, p.y); }
    // Angles are measured in user space from +x towards +y. Starts with a line from the current point.
    void addArc(Point center, double radius, double startAngle, double endAngle, Clockwise clockwise);
    // An arc tangent to the lines current point -> p1 and p1 -> p2 (a line to p1 when they are collinear).
    void addArcToPoint(Point p1, Point p2, double radius);
    void addRect(Rect rect);
    // A rectangle with circular corners of `radius` (clamped to half the shorter side).
    void addRoundedRect(Rect rect, double radius);
    // A rectangle whose corners are quarter ellipses `ovalWidth` across and `ovalHeight` down (each cut
    // to half the rect's side); the plain rectangle when either is 0 or less. The offer SDK's and the
    // offer wall's rounded images clip to it.
    void addRoundedRectToPath(Rect rect, double ovalWidth, double ovalHeight);
    void addQuadCurveToPoint(Point control, Point end);
    void addCurveToPoint(Point control1, Point control2, Point end);
    void closePath();
    bool isPathEmpty() const;
    // An ellipse inscribed in the rect, as a closed sub-path of four curves.
    void addEllipseInRect(Rect rect);
    // Appends every element of `path`, taken through the CTM. Points far outside the surface are cut
    // to a box around it (cairo's fixed-point coordinates cannot hold them).
    void addPath(const Path& path);

    // Painting the current path consumes it.
    void fillPath();   // non-zero winding
    void eoFillPath(); // even-odd
    void strokePath();
    // Paints the current path in `mode` (fill first, then stroke) and consumes it.
    void drawPath(PathDrawingMode mode);
    // Ellipse calls leave the current path alone.
    void fillEllipseInRect(Rect rect);
    void strokeEllipseInRect(Rect rect);

    // Rect calls leave the current path alone.
    void fillRect(Rect rect);
    void strokeRect(Rect rect);
    void strokeRectWithWidth(Rect rect, double width);
    // Makes the rect transparent (within the clip; no shadow, alpha or blend mode).
    void clearRect(Rect rect);

    // The clip only shrinks; it is part of the saved state.
    void clipToRect(Rect rect);
    void clip();   // current path, non-zero; consumes it
    void eoClip(); // current path, even-odd; consumes it
    // Intersects the clip with the rect and with a soft mask made from `mask`, which is placed like
    // drawImage places an image: its grey is coverage (white paints, black hides); a colour image
    // covers by its luminance times its alpha. The mask is part of the saved state.
    void clipToMask(Rect rect, const Image& mask);

    // Fills the clip with the gradient along start -> end. Without DrawsBeforeStart/DrawsAfterEnd
    // nothing is painted before the start or after the end.
    void drawLinearGradient(const Gradient& gradient, Point start, Point end, GradientDrawingOptions options);
    // Fills the clip with the gradient between the circles (c0, r0) and (c1, r1); the options decide
    // whether the colours extend before the start circle and after the end circle, as above.
    void drawRadialGradient(const Gradient& gradient, Point startCenter, double startRadius, Point endCenter,
                            double endRadius, GradientDrawingOptions options);

    // Draws the image with its top row along the (standardized) rect's maximum y in user space and its
    // left column along the minimum x, scaled to fill the rect; stretchable images keep their caps.
    void drawImage(Rect rect, const Image& image);
    void drawImage(Rect rect, const std::shared_ptr<const Image>& image);
    // Fills the clip with copies of the image, each scaled to the rect's size and placed like
    // drawImage, on a grid through the rect's origin in user space. One repeating pattern does the
    // work, so the tile count does not matter; an empty rect draws nothing.
    void drawTiledImage(Rect rect, const Image& image);
    // Draws the layer's pixels as drawImage would draw an image of them.
    void drawLayerInRect(Rect rect, const Layer& layer);
    void drawLayerAtPoint(Point point, const Layer& layer);

    // --- Reading back ---
    // The unpremultiplied pixel at column x of memory row y (row 0 is the top of memory); transparent
    // black outside the surface.
    virtual Rgba8 pixelAt(int x, int y);
    // A copy of the pixels (memory row 0 is the image's top row).
    virtual std::shared_ptr<Image> makeImage();
    // The pixels as PNG bytes.
    fnd::Bytes pngRepresentation();
    // Finishes pending drawing into the pixel memory.
    virtual void flush();

    // --- gfx-internal (text drawing) ---
    // The cairo context. Its matrix is the CTM in device space; callers restore what they change.
    cairo_t* cairoHandle() const { return cr_; }
    // Runs `paint` with the shadow and blend mode of the state applied. `paint` receives a cairo
    // context whose source is already the fill colour (times the global alpha) and whose matrix and
    // antialiasing match this context; it adds its shape and paints it. It may run twice (once on a
    // scratch surface for the shadow), and nothing runs while the CTM is singular.
    void drawWithEffects(const std::function<void(cairo_t*)>& paint);

protected:
    // Takes ownership of `surface` (ARGB32). `baseYUp` sets the initial CTM to y up.
    Context(cairo_surface_t* surface, bool baseYUp);
    cairo_surface_t* surface() const { return surface_; }

private:
    struct State {
        Color fill = Color(0, 0, 0, 1);
        ColorSpace fillSpace = ColorSpace::RGB;
        // A soft clip in device pixels (A8, the surface's size), or null.
        std::shared_ptr<cairo_surface_t> mask;
        Color stroke = Color(0, 0, 0, 1);
        double alpha = 1;
        Size shadowOffset;
        double shadowBlur = 0;
        std::optional<Color> shadowColor;
        BlendMode blend = BlendMode::Normal;
        InterpolationQuality interpolation = InterpolationQuality::Default;
        // The user-to-device matrix; cairo holds it too unless it is singular.
        AffineTransform ctm;
        bool singular = false;
    };

    void setCTM(const AffineTransform& deviceCTM);
    void setSourceColor(cairo_t* cr, const Color& color) const;
    bool shadowActive() const;
    // Paints with the shadow, blend mode and global alpha of the state; the source starts as `color`.
    void render(const std::function<void(cairo_t*)>& paint, const Color& color);
    void drawShadow(const std::function<void(cairo_t*)>& paint, const Color& color);
    void fillCurrentPath(bool evenOdd);
    void strokeCurrentPath();
    // Runs `body` with an empty path and puts the caller's path back afterwards.
    void withScratchPath(const std::function<void()>& body);
    void drawImagePart(cairo_surface_t* pixels, Rect source, Rect dest);

    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    State state_;
    std::vector<State> saved_;
};

// Saves the state of a context for the lifetime of the saver.
class StateSaver {
public:
    explicit StateSaver(Context& context) : context_(context) { context_.saveGState(); }
    ~StateSaver() { context_.restoreGState(); }
    StateSaver(const StateSaver&) = delete;
    StateSaver& operator=(const StateSaver&) = delete;

private:
    Context& context_;
};

} // namespace gfx
