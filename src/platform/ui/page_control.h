// ui::PageControl: a row of dots showing the current page of several; a tap on the left or right
// half steps one page and sends ValueChanged.
#pragma once

#include "platform/ui/control.h"

namespace ui {

class PageControl : public Control {
public:
    static constexpr double kDotSpacing = 16;
    static constexpr double kDotSize = 6;
    static constexpr double kHeight = 36;

    std::string className() const override { return "PageControl"; }

    int numberOfPages() const { return numberOfPages_; }
    // Negative counts count as 0; the current page is kept within the pages.
    void setNumberOfPages(int pages);
    int currentPage() const { return currentPage_; }
    // Clamped to 0 ... numberOfPages - 1; sends no event.
    void setCurrentPage(int page);
    // A single page (or none) draws nothing when set.
    bool hidesForSinglePage() const { return hidesForSinglePage_; }
    void setHidesForSinglePage(bool hides);

    // (16 n, 36).
    static gfx::Size sizeForNumberOfPages(int pages);

    gfx::Size sizeThatFits(gfx::Size /*size*/) const override { return sizeForNumberOfPages(numberOfPages_); }
    void drawRect(gfx::Rect rect) override;
    bool drawsOwnContent() const override { return true; }

protected:
    void endTrackingWithTouch(const Touch& touch, const Event* event) override;

private:
    int numberOfPages_ = 0;
    int currentPage_ = 0;
    bool hidesForSinglePage_ = false;
};

} // namespace ui
