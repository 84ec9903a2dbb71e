// ui::WebPageContainer: what the layout engine asks of the platform while it lays out and paints a
// page - fonts (every family drawn with the DejaVu faces gfx::Font knows), text measured and drawn
// with the views' own text layout, backgrounds, borders, list markers and images on gfx, style
// sheets and images through WebPageResources, and the screen that media queries see.
// Only ui's page rendering files include this header (it brings in the layout engine's).
#pragma once

#include <litehtml/litehtml.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

#include "platform/graphics/context.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/web_page_resources.h"

namespace ui {

class WebPageContainer final : public litehtml::document_container {
public:
    // At most this many style sheets are imported into one document build (loops end there).
    static constexpr size_t kMaxImportsPerBuild = 64;

    explicit WebPageContainer(WebPageResources& resources) : resources_(resources) {}

    // The screen media queries see and the client rect, in points.
    void setViewport(gfx::Size size) { viewport_ = size; }
    // Called before each document build: the import loop guard starts afresh.
    void beginBuild() { imported_.clear(); }
    // The context painting goes to during one draw (cleared afterwards).
    void setContext(gfx::Context* context) { context_ = context; }
    // The part of the page being painted (page coordinates): long runs are cut where it ends.
    void setPaintArea(gfx::Rect area) { paintArea_ = area; }

    litehtml::uint_ptr create_font(const litehtml::tchar_t* faceName, int size, int weight, litehtml::font_style italic,
                                   unsigned int decoration, litehtml::font_metrics* fm) override;
    void delete_font(litehtml::uint_ptr hFont) override;
    int text_width(const litehtml::tchar_t* text, litehtml::uint_ptr hFont) override;
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t* text, litehtml::uint_ptr hFont,
                   litehtml::web_color color, const litehtml::position& pos) override;
    int pt_to_px(int pt) const override { return pt * 4 / 3; }
    int get_default_font_size() const override { return 16; }
    const litehtml::tchar_t* get_default_font_name() const override { return "sans-serif"; }
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker& marker) override;
    void load_image(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, bool redraw_on_ready) override;
    void get_image_size(const litehtml::tchar_t* src, const litehtml::tchar_t* baseurl, litehtml::size& sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint& bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders& borders, const litehtml::position& draw_pos,
                      bool root) override;
    void set_caption(const litehtml::tchar_t*) override {}
    void set_base_url(const litehtml::tchar_t*) override {}
    void link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) override {}
    void on_anchor_click(const litehtml::tchar_t*, const litehtml::element::ptr&) override {}
    void set_cursor(const litehtml::tchar_t*) override {}
    void transform_text(litehtml::tstring& text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl) override;
    void set_clip(const litehtml::position& pos, const litehtml::border_radiuses& bdr_radius, bool valid_x,
                  bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position& client) const override;
    std::shared_ptr<litehtml::element> create_element(const litehtml::tchar_t*, const litehtml::string_map&,
                                                      const std::shared_ptr<litehtml::document>&) override {
        return nullptr;
    }
    void get_media_features(litehtml::media_features& media) const override;
    void get_language(litehtml::tstring& language, litehtml::tstring& culture) const override;

private:
    struct PageFont {
        std::shared_ptr<gfx::Font> font;
        unsigned int decoration = 0;
        int ascent = 0;
        int height = 0;
    };
    gfx::ImagePtr imageFor(const char* src, const char* baseurl);

    WebPageResources& resources_;
    gfx::Size viewport_{320, 480};
    gfx::Context* context_ = nullptr;
    gfx::Rect paintArea_;
    std::map<litehtml::uint_ptr, PageFont> fonts_;
    litehtml::uint_ptr nextFont_ = 1;
    std::set<std::string> imported_;
    size_t clipDepth_ = 0;
    // Widths of measured runs per font; words repeat a lot within a page.
    std::unordered_map<std::string, int> widths_;
};

} // namespace ui
