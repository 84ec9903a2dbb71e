// The layout engine's drawing, font and resource callbacks carried out on gfx. Text from the page
// is drawn as given (never read as a format); every family maps onto the DejaVu faces.
#include "platform/ui/web_page_container.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/log.h"
#include "platform/foundation/log_preview.h"
#include "platform/graphics/text_drawing.h"
#include "platform/graphics/text_layout.h"

namespace ui {

namespace {

gfx::Color colorOf(const litehtml::web_color& c) {
    return gfx::Color(c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

gfx::Rect rectOf(const litehtml::position& p) {
    return gfx::Rect(p.x, p.y, p.width, p.height);
}

gfx::Context* contextOf(litehtml::uint_ptr hdc) {
    return reinterpret_cast<gfx::Context*>(hdc);
}

// Adds a rectangle with per-corner radii (clamped to half the sides) to the context's path.
void addRoundedRect(gfx::Context& ctx, const litehtml::position& p, const litehtml::border_radiuses& r) {
    const double w = p.width;
    const double h = p.height;
    const auto clampRadius = [&](int v) { return std::clamp(static_cast<double>(v), 0.0, std::min(w, h) / 2); };
    const double tl = clampRadius(r.top_left_x);
    const double tr = clampRadius(r.top_right_x);
    const double br = clampRadius(r.bottom_right_x);
    const double bl = clampRadius(r.bottom_left_x);
    const double x = p.x;
    const double y = p.y;
    ctx.moveToPoint(x + tl, y);
    ctx.addArcToPoint(gfx::Point(x + w, y), gfx::Point(x + w, y + h), tr);
    ctx.addArcToPoint(gfx::Point(x + w, y + h), gfx::Point(x, y + h), br);
    ctx.addArcToPoint(gfx::Point(x, y + h), gfx::Point(x, y), bl);
    ctx.addArcToPoint(gfx::Point(x, y), gfx::Point(x + w, y), tl);
    ctx.closePath();
}

bool rounded(const litehtml::border_radiuses& r) {
    return r.top_left_x > 0 || r.top_right_x > 0 || r.bottom_right_x > 0 || r.bottom_left_x > 0;
}

// Draws `image` into `rect` the right way up in the view's y-down space.
void drawUpright(gfx::Context& ctx, gfx::Rect rect, const gfx::Image& image, bool tiled) {
    gfx::StateSaver saver(ctx);
    ctx.translateCTM(0, rect.minY() + rect.maxY());
    ctx.scaleCTM(1, -1);
    if (tiled) {
        ctx.drawTiledImage(rect, image);
    } else {
        ctx.drawImage(rect, image);
    }
}

} // namespace

litehtml::uint_ptr WebPageContainer::create_font(const litehtml::tchar_t* faceName, int size, int weight,
                                                 litehtml::font_style italic, unsigned int decoration,
                                                 litehtml::font_metrics* fm) {
    // Every family (named fonts, fontconfig names, the CSS generic families, and families nobody
    // has) draws with the DejaVu Sans faces; only weight and slant pick the face.
    (void)faceName;
    const bool bold = weight >= 600;
    const bool oblique = italic == litehtml::fontStyleItalic;
    auto font = std::make_shared<gfx::Font>(bold ? "Helvetica-Bold" : "Helvetica", "Helvetica",
                                            bold ? gfx::FontFace::Bold : gfx::FontFace::Regular, oblique,
                                            std::clamp(size, 1, 512));
    PageFont entry;
    entry.font = font;
    entry.decoration = decoration;
    entry.ascent = static_cast<int>(std::ceil(font->ascender()));
    const int descent = static_cast<int>(std::ceil(-font->descender()));
    entry.height = std::max(static_cast<int>(std::ceil(font->lineHeight())), entry.ascent + descent);
    if (fm != nullptr) {
        fm->ascent = entry.ascent;
        fm->descent = descent;
        fm->height = entry.height;
        fm->x_height = static_cast<int>(std::lround(font->pointSize() * 0.55));
        fm->draw_spaces = oblique || decoration != 0;
    }
    const litehtml::uint_ptr id = nextFont_++;
    fonts_[id] = std::move(entry);
    return id;
}

void WebPageContainer::delete_font(litehtml::uint_ptr hFont) {
    fonts_.erase(hFont);
}

int WebPageContainer::text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) {
    auto it = fonts_.find(hFont);
    if (it == fonts_.end() || text == nullptr) {
        return 0;
    }
    std::string key = std::to_string(hFont);
    key += '\0';
    key += text;
    auto cached = widths_.find(key);
    if (cached != widths_.end()) {
        return cached->second;
    }
    const int width = static_cast<int>(gfx::sizeWithFont(text, it->second.font).width);
    if (widths_.size() > 20000) {
        widths_.clear();
    }
    widths_.emplace(std::move(key), width);
    return width;
}

void WebPageContainer::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                                 litehtml::web_color color, const litehtml::position& pos) {
    auto it = fonts_.find(hFont);
    gfx::Context* ctx = contextOf(hdc);
    if (it == fonts_.end() || ctx == nullptr || text == nullptr) {
        return;
    }
    const PageFont& f = it->second;
    gfx::StateSaver saver(*ctx);
    ctx->setFillColor(colorOf(color));
    std::string_view run(text);
    // A run reaching past the painted area is cut there: no glyph is narrower than a fifth of the
    // font's size, so that many characters cover the rest of the area.
    const double room = paintArea_.maxX() - pos.x;
    const double glyphs = room / std::max(1.0, f.font->pointSize() / 5) + 2;
    if (run.size() > 256 && glyphs < static_cast<double>(run.size())) {
        size_t cut = static_cast<size_t>(std::max(0.0, glyphs)) * 4; // at most 4 bytes a character
        cut = std::min(cut, run.size());
        while (cut < run.size() && (static_cast<unsigned char>(run[cut]) & 0xC0) == 0x80) {
            ++cut;
        }
        run = run.substr(0, cut);
    }
    gfx::drawAtPoint(run, gfx::Point(pos.x, pos.y), f.font);
    if (f.decoration == 0) {
        return;
    }
    const double width = text_width(text, hFont);
    const double thickness = std::max(1.0, f.font->pointSize() / 14);
    if ((f.decoration & litehtml::font_decoration_underline) != 0) {
        ctx->fillRect(gfx::Rect(pos.x, pos.y + f.ascent + 1, width, thickness));
    }
    if ((f.decoration & litehtml::font_decoration_linethrough) != 0) {
        ctx->fillRect(gfx::Rect(pos.x, pos.y + f.ascent * 0.65, width, thickness));
    }
    if ((f.decoration & litehtml::font_decoration_overline) != 0) {
        ctx->fillRect(gfx::Rect(pos.x, pos.y, width, thickness));
    }
}

gfx::ImagePtr WebPageContainer::imageFor(const char* src, const char* baseurl) {
    if (src == nullptr || *src == '\0') {
        return nullptr;
    }
    auto url = resources_.resolve(src, baseurl != nullptr ? baseurl : "");
    return url ? resources_.image(*url) : nullptr;
}

void WebPageContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) {
    gfx::Context* ctx = contextOf(hdc);
    if (ctx == nullptr) {
        return;
    }
    if (!marker.image.empty()) {
        if (auto image = imageFor(marker.image.c_str(), marker.baseurl)) {
            drawUpright(*ctx, rectOf(marker.pos), *image, false);
            return;
        }
    }
    gfx::StateSaver saver(*ctx);
    const gfx::Color color = colorOf(marker.color);
    ctx->setFillColor(color);
    ctx->setStrokeColor(color);
    const gfx::Rect r = rectOf(marker.pos);
    switch (marker.marker_type) {
    case litehtml::list_style_type_circle:
        ctx->setLineWidth(1);
        ctx->strokeEllipseInRect(r.insetBy(0.5, 0.5));
        break;
    case litehtml::list_style_type_disc:
        ctx->fillEllipseInRect(r);
        break;
    case litehtml::list_style_type_square:
        ctx->fillRect(r);
        break;
    default:
        break; // numbered markers come as text
    }
}

void WebPageContainer::load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool) {
    imageFor(src, baseurl);
}

void WebPageContainer::get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl,
                                      litehtml::size& sz) {
    if (auto image = imageFor(src, baseurl)) {
        sz.width = image->width();
        sz.height = image->height();
    } else {
        sz.width = 0;
        sz.height = 0;
    }
}

void WebPageContainer::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) {
    gfx::Context* ctx = contextOf(hdc);
    if (ctx == nullptr) {
        return;
    }
    gfx::StateSaver saver(*ctx);
    if (rounded(bg.border_radius)) {
        ctx->beginPath();
        addRoundedRect(*ctx, bg.border_box, bg.border_radius);
        ctx->clip();
    }
    ctx->clipToRect(rectOf(bg.clip_box));
    if (bg.color.alpha > 0) {
        ctx->setFillColor(colorOf(bg.color));
        ctx->fillRect(rectOf(bg.clip_box));
    }
    auto image = imageFor(bg.image.c_str(), bg.baseurl.c_str());
    if (!image || bg.image_size.width <= 0 || bg.image_size.height <= 0) {
        return;
    }
    const gfx::Rect tile(bg.position_x, bg.position_y, bg.image_size.width, bg.image_size.height);
    const gfx::Rect clip = rectOf(bg.clip_box);
    switch (bg.repeat) {
    case litehtml::background_repeat_no_repeat:
        drawUpright(*ctx, tile, *image, false);
        break;
    case litehtml::background_repeat_repeat_x:
        ctx->clipToRect(gfx::Rect(clip.minX(), tile.minY(), clip.width(), tile.height()));
        drawUpright(*ctx, tile, *image, true);
        break;
    case litehtml::background_repeat_repeat_y:
        ctx->clipToRect(gfx::Rect(tile.minX(), clip.minY(), tile.width(), clip.height()));
        drawUpright(*ctx, tile, *image, true);
        break;
    case litehtml::background_repeat_repeat:
        drawUpright(*ctx, tile, *image, true);
        break;
    }
}

void WebPageContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders,
                                    const litehtml::position& pos, bool) {
    gfx::Context* ctx = contextOf(hdc);
    if (ctx == nullptr) {
        return;
    }
    const auto visible = [](const litehtml::border& b) {
        return b.width > 0 && b.style != litehtml::border_style_none && b.style != litehtml::border_style_hidden;
    };
    gfx::StateSaver saver(*ctx);
    if (rounded(borders.radius)) {
        // A rounded box: the ring between the outer and the inner outline, in the top side's colour.
        ctx->setFillColor(colorOf(borders.top.color));
        ctx->beginPath();
        addRoundedRect(*ctx, pos, borders.radius);
        litehtml::position inner(pos.x + borders.left.width, pos.y + borders.top.width,
                                 pos.width - borders.left.width - borders.right.width,
                                 pos.height - borders.top.width - borders.bottom.width);
        litehtml::border_radiuses innerRadius = borders.radius;
        innerRadius.top_left_x = std::max(0, innerRadius.top_left_x - borders.left.width);
        innerRadius.top_right_x = std::max(0, innerRadius.top_right_x - borders.right.width);
        innerRadius.bottom_right_x = std::max(0, innerRadius.bottom_right_x - borders.right.width);
        innerRadius.bottom_left_x = std::max(0, innerRadius.bottom_left_x - borders.left.width);
        if (inner.width > 0 && inner.height > 0) {
            addRoundedRect(*ctx, inner, innerRadius);
        }
        ctx->eoFillPath();
        return;
    }
    if (visible(borders.top)) {
        ctx->setFillColor(colorOf(borders.top.color));
        ctx->fillRect(gfx::Rect(pos.x, pos.y, pos.width, borders.top.width));
    }
    if (visible(borders.bottom)) {
        ctx->setFillColor(colorOf(borders.bottom.color));
        ctx->fillRect(gfx::Rect(pos.x, pos.bottom() - borders.bottom.width, pos.width, borders.bottom.width));
    }
    if (visible(borders.left)) {
        ctx->setFillColor(colorOf(borders.left.color));
        ctx->fillRect(gfx::Rect(pos.x, pos.y, borders.left.width, pos.height));
    }
    if (visible(borders.right)) {
        ctx->setFillColor(colorOf(borders.right.color));
        ctx->fillRect(gfx::Rect(pos.right() - borders.right.width, pos.y, borders.right.width, pos.height));
    }
}

void WebPageContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt) {
    bool wordStart = true;
    for (char& c : text) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (tt == litehtml::text_transform_uppercase || (tt == litehtml::text_transform_capitalize && wordStart)) {
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        } else if (tt == litehtml::text_transform_lowercase) {
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        }
        wordStart = !letter && (c == ' ' || c == '\t' || c == '\n');
    }
}

void WebPageContainer::import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl) {
    text.clear();
    auto resolved = resources_.resolve(url, baseurl);
    if (!resolved) {
        return;
    }
    const std::string key = resolved->absoluteString();
    // Each sheet comes in once per build, so an @import loop ends at its second round.
    if (imported_.size() >= kMaxImportsPerBuild || !imported_.insert(key).second) {
        return;
    }
    if (auto sheet = resources_.styleSheet(*resolved)) {
        text = std::move(*sheet);
        baseurl = key;
    }
}

void WebPageContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses& radius, bool, bool) {
    if (context_ == nullptr) {
        return;
    }
    context_->saveGState();
    ++clipDepth_;
    if (rounded(radius)) {
        context_->beginPath();
        addRoundedRect(*context_, pos, radius);
        context_->clip();
    } else {
        context_->clipToRect(rectOf(pos));
    }
}

void WebPageContainer::del_clip() {
    if (context_ != nullptr && clipDepth_ > 0) {
        --clipDepth_;
        context_->restoreGState();
    }
}

void WebPageContainer::get_client_rect(litehtml::position& client) const {
    client = litehtml::position(0, 0, static_cast<int>(viewport_.width), static_cast<int>(viewport_.height));
}

void WebPageContainer::get_media_features(litehtml::media_features& media) const {
    media.type = litehtml::media_type_screen;
    media.width = static_cast<int>(viewport_.width);
    media.height = static_cast<int>(viewport_.height);
    media.device_width = media.width;
    media.device_height = media.height;
    media.color = 8;
    media.color_index = 0;
    media.monochrome = 0;
    media.resolution = 163;
}

void WebPageContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const {
    language = "en";
    culture.clear();
}

} // namespace ui
