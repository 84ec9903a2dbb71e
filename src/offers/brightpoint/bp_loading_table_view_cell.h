// BPLoadingTableViewCell: the last row of the offer wall's paged lists - "Load More..." to tap, or a
// spinner while a page loads. Title and spinner are centred in the row.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view_cell.h"

namespace zelvan::brightpoint {

class BPLoadingTableViewCell : public ui::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "LoadingCell";

    BPLoadingTableViewCell(ui::TableViewCellStyle style, std::string reuseIdentifier);

    void initWithFrame(gfx::Rect frame) override;
    std::string className() const override { return "BPLoadingTableViewCell"; }

    bool loading() const { return loading_; }
    // On: the spinner turns, the title hides and the row does not highlight. Off: the spinner stops, the
    // title shows and the row highlights blue.
    void setLoading(bool loading);
    void setTitle(std::string title);
    void setActivityIndicatorStyle(ui::ActivityIndicatorViewStyle style);
    void setSelected(bool selected, ui::Animated animated) override;
    void layoutSubviews() override;

    const std::shared_ptr<ui::ActivityIndicatorView>& loadingIndicatorView() const { return loadingIndicatorView_; }
    const std::shared_ptr<ui::Label>& statusTitle() const { return statusTitle_; }

private:
    bool loading_ = false;
    std::shared_ptr<ui::ActivityIndicatorView> loadingIndicatorView_;
    std::shared_ptr<ui::Label> statusTitle_;
};

} // namespace zelvan::brightpoint
