// AdwickSearchViewController: the landing screen of a search ad. The banner moves to the top, the
// ad's search bar sits under it with live suggestions from the ad's suggestion URL as the person
// types, and the ad's help page beneath; a search is sent as the ad's click with the query, and the
// screen stays (with a spinner) until the click's landing page replaces it or the click fails.
#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ads/adwick/adwick_modal_view_controller.h"
#include "platform/foundation/notification_center.h"
#include "platform/graphics/color.h"
#include "platform/graphics/image.h"
#include "platform/ui/search_bar.h"
#include "platform/ui/table_view.h"

namespace ui {
class ActivityIndicatorView;
class WebView;
} // namespace ui

namespace zelvan::adwick {

class AdwickAd;
class AdwickSearchBar;
class AdwickURLDownload;

class AdwickSearchViewController : public AdwickModalViewController,
                                   public ui::SearchBarDelegate,
                                   public ui::TableViewDataSource,
                                   public ui::TableViewDelegate {
public:
    static constexpr double kRowFontSize = 15;
    static constexpr double kSpinnerSide = 25;

    // `context` gives the suggestion downloads their settings.
    explicit AdwickSearchViewController(std::shared_ptr<AdwickContext> context)
        : AdwickModalViewController(std::move(context)) {}
    ~AdwickSearchViewController() override;
    std::string className() const override { return "AdwickSearchViewController"; }

    virtual void setSearchBarHeight(double height) { searchBarHeight_ = height; }
    virtual void setTileImage(gfx::ImagePtr image) { tileImage_ = std::move(image); }
    virtual void setTintColor(const gfx::Color& color) { tintColor_ = color; }
    virtual void setPlaceholderText(const std::string& text) { placeholderText_ = text; }
    virtual void setWebpageURL(const std::string& url) { webpageURL_ = url; }
    virtual void presentFromView(ui::View& view, const std::shared_ptr<AdwickAd>& ad);
    void relinquishScreen() override { AdwickModalViewController::relinquishScreen(); }

    void performSearch(const std::optional<std::string>& query);
    // The suggestion request URL for `text` (escaped), or nullopt when the ad has no suggestion URL.
    static std::optional<std::string> suggestionURL(const AdwickAd& ad, const std::string& text);
    // The string rows of a suggestion reply's "data" list (other rows and shapes are dropped).
    static std::vector<std::string> suggestionsFromReply(const fnd::Bytes& data);

    double searchBarHeight() const { return searchBarHeight_; }
    const std::shared_ptr<AdwickSearchBar>& searchBar() const { return searchBar_; }
    const std::shared_ptr<ui::TableView>& suggestionTable() const { return suggestionTable_; }
    const std::optional<std::vector<std::string>>& suggestionList() const { return suggestionList_; }
    size_t activeSuggestionDownloadCount() const { return activeSuggestionDownloads_.size(); }
    const std::shared_ptr<ui::WebView>& webView() const { return webView_; }
    const std::shared_ptr<ui::ActivityIndicatorView>& spinner() const { return spinner_; }

    void loadViewWithBounds(gfx::Rect bounds) override;
    void landingPageDidAppear() override;
    void viewWillAppear(ui::Animated animated) override;
    void viewWillDisappear(ui::Animated animated) override;
    void didReceiveMemoryWarning() override;

    void searchBarSearchButtonClicked(ui::SearchBar& bar) override;
    void searchBarCancelButtonClicked(ui::SearchBar& bar) override;
    void searchBarTextDidChange(ui::SearchBar& bar, const std::string& text) override;
    int numberOfSectionsInTableView(ui::TableView& tableView) override;
    int tableViewNumberOfRowsInSection(ui::TableView& tableView, int section) override;
    std::shared_ptr<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                                      const ui::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) override;
    void suggestionDownloadDidSucceed(AdwickURLDownload& download);
    void suggestionDownloadDidFail(AdwickURLDownload& download);
    void keyboardDidShow(const fnd::Notification& notification);
    void keyboardWillHide(const fnd::Notification& notification);

private:
    void observeKeyboard();
    void stopObservingKeyboard();
    void dropDownload(AdwickURLDownload& download);

    std::shared_ptr<AdwickSearchBar> searchBar_;
    double searchBarHeight_ = 0;
    std::optional<gfx::Color> tintColor_;
    gfx::ImagePtr tileImage_;
    std::string placeholderText_;
    std::shared_ptr<ui::TableView> suggestionTable_;
    std::optional<std::vector<std::string>> suggestionList_;
    std::set<std::shared_ptr<AdwickURLDownload>> activeSuggestionDownloads_;
    std::shared_ptr<ui::WebView> webView_;
    std::string webpageURL_;
    std::shared_ptr<AdwickAd> originalAd_;
    std::shared_ptr<ui::View> originalAdView_;
    std::shared_ptr<ui::ActivityIndicatorView> spinner_;
    // The keyboard's notifications, observed while the screen is on.
    fnd::ObserverToken keyboardShowObserver_;
    fnd::ObserverToken keyboardHideObserver_;
};

} // namespace zelvan::adwick
