#include "ads/adwick/adwick_search_view_controller.h"

#include <algorithm>

#include "ads/adwick/adwick_ad.h"
#include "ads/adwick/adwick_context.h"
#include "ads/adwick/adwick_log.h"
#include "ads/adwick/adwick_search_bar.h"
#include "ads/adwick/adwick_url_download.h"
#include "ads/adwick/json/json_deserializer.h"
#include "platform/foundation/array.h"
#include "platform/foundation/dictionary.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/url.h"
#include "platform/foundation/url_request.h"
#include "platform/graphics/font.h"
#include "platform/ui/activity_indicator_view.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/label.h"
#include "platform/ui/table_view_cell.h"
#include "platform/ui/web_view.h"

namespace zelvan::adwick {

namespace {

// Keys, values and the typed text are escaped whole, so none of them can add or split a parameter.
std::string escapePart(std::string_view text) {
    return fnd::escapeLegacyPlus(text, "&=+#");
}

} // namespace

AdwickSearchViewController::~AdwickSearchViewController() {
    for (const auto& download : activeSuggestionDownloads_) {
        download->cancel();
    }
}

std::optional<std::string> AdwickSearchViewController::suggestionURL(const AdwickAd& ad, const std::string& text) {
    if (!ad.suggestionUrl() || ad.suggestionUrl()->empty() || text.empty()) {
        return std::nullopt;
    }
    std::string url = *ad.suggestionUrl() + "&query=" + escapePart(text);
    for (const auto& [key, value] : ad.userDemographicInfo()) {
        url += "&" + escapePart(key) + "=" + escapePart(value);
    }
    return url;
}

std::vector<std::string> AdwickSearchViewController::suggestionsFromReply(const fnd::Bytes& data) {
    std::vector<std::string> rows;
    auto decoded = JSONDeserializer().deserialize(data);
    if (!decoded) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: refused the search suggestions (%@): %@",
                decoded.error().localizedDescription(), fnd::logPreview(data));
        return rows;
    }
    auto table = decoded->asDictionary();
    const fnd::Value* list = table ? table->find("data") : nullptr;
    auto array = list ? list->asArray() : nullptr;
    if (!array) {
        ZLOG_TO(kAdwickLog, Warn, "adwick: the search suggestions hold no \"data\" list: %@",
                fnd::logPreview(*decoded));
        return rows;
    }
    for (size_t i = 0; i < array->count(); ++i) {
        if (const std::string* row = array->objectAtIndex(i).asString()) {
            rows.push_back(*row);
        }
    }
    return rows;
}

void AdwickSearchViewController::presentFromView(ui::View& view, const std::shared_ptr<AdwickAd>& ad) {
    originalAdView_ = view.self();
    originalAd_ = ad;
    commandeerScreenFromAdView(view, kTransitionMoveAdToTop);
}

void AdwickSearchViewController::loadViewWithBounds(gfx::Rect bounds) {
    const double w = bounds.size.width;
    const double h = bounds.size.height;
    const double barHeight = searchBarHeight_;
    auto page = view();
    page->setBackgroundColor(gfx::Color::darkGray());
    auto self = std::static_pointer_cast<AdwickSearchViewController>(shared_from_this());

    searchBar_ = AdwickSearchBar::initWithFrame(gfx::Rect(0, 0, w, barHeight), tileImage_, tintColor_);
    searchBar_->setDelegate(std::weak_ptr<ui::SearchBarDelegate>(self));
    searchBar_->setPlaceholder(placeholderText_);
    searchBar_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
    page->addSubview(searchBar_);

    suggestionTable_ = ui::View::create<ui::TableView>(gfx::Rect(0, barHeight, w, std::max(0.0, h - barHeight)));
    suggestionTable_->setDataSource(std::weak_ptr<ui::TableViewDataSource>(self));
    suggestionTable_->setDelegate(std::weak_ptr<ui::TableViewDelegate>(self));
    suggestionTable_->setScrollEnabled(true);
    suggestionTable_->setHidden(true);
    suggestionTable_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
    page->addSubview(suggestionTable_);

    activeSuggestionDownloads_.clear();

    if (!webpageURL_.empty()) {
        auto url = fnd::Url::parse(webpageURL_);
        webView_ = ui::View::create<ui::WebView>(suggestionTable_->frame());
        webView_->setAutoresizingMask(ui::AutoresizingMask::FlexibleWidth);
        if (url) {
            webView_->loadRequest(fnd::UrlRequest(*url));
        } else {
            ZLOG_TO(kAdwickLog, Warn, "adwick: the search help page URL does not parse");
        }
        page->insertSubviewAboveSubview(webView_, suggestionTable_.get());
    }
}

void AdwickSearchViewController::landingPageDidAppear() {
    observeKeyboard();
    if (searchBar_) {
        searchBar_->becomeFirstResponder();
    }
}

void AdwickSearchViewController::viewWillAppear(ui::Animated /*animated*/) {
    observeKeyboard();
}

void AdwickSearchViewController::viewWillDisappear(ui::Animated /*animated*/) {
    stopObservingKeyboard();
}

void AdwickSearchViewController::observeKeyboard() {
    if (keyboardShowObserver_) {
        return;
    }
    auto& center = fnd::NotificationCenter::defaultCenter();
    std::weak_ptr<AdwickSearchViewController> weak =
        std::static_pointer_cast<AdwickSearchViewController>(shared_from_this());
    keyboardShowObserver_ = center.observe(std::string(ui::kKeyboardDidShowNotification), weak,
                                           &AdwickSearchViewController::keyboardDidShow);
    keyboardHideObserver_ = center.observe(std::string(ui::kKeyboardWillHideNotification), weak,
                                           &AdwickSearchViewController::keyboardWillHide);
}

void AdwickSearchViewController::stopObservingKeyboard() {
    keyboardShowObserver_.reset();
    keyboardHideObserver_.reset();
}

void AdwickSearchViewController::keyboardDidShow(const fnd::Notification& notification) {
    if (!suggestionTable_ || !isViewLoaded()) {
        return;
    }
    double keyboardHeight = 0;
    if (auto info = notification.userInfo.asDictionary()) {
        if (const fnd::Value* bounds = info->find(std::string(ui::kKeyboardBoundsUserInfoKey))) {
            if (auto rect = ui::KeyboardController::rectFromValue(*bounds)) {
                keyboardHeight = rect->size.height;
            }
        }
    }
    const gfx::Rect page = view()->bounds();
    suggestionTable_->setFrame(gfx::Rect(0, searchBarHeight_, page.size.width,
                                         std::max(0.0, page.size.height - searchBarHeight_ - keyboardHeight)));
}

void AdwickSearchViewController::keyboardWillHide(const fnd::Notification& /*notification*/) {
    if (!suggestionTable_ || !isViewLoaded()) {
        return;
    }
    const gfx::Rect page = view()->bounds();
    suggestionTable_->setFrame(
        gfx::Rect(0, searchBarHeight_, page.size.width, std::max(0.0, page.size.height - searchBarHeight_)));
}

void AdwickSearchViewController::searchBarTextDidChange(ui::SearchBar& /*bar*/, const std::string& text) {
    if (webView_ && isViewLoaded()) {
        if (text.empty()) {
            view()->bringSubviewToFront(webView_.get());
        } else {
            view()->sendSubviewToBack(webView_.get());
        }
    }
    auto url = originalAd_ ? suggestionURL(*originalAd_, text) : std::nullopt;
    if (url) {
        auto download =
            AdwickURLDownload::create(adwickContext() ? adwickContext()->downloadSettings() : AdwickDownloadSettings{});
        download->setIdentifier(text);
        std::weak_ptr<AdwickSearchViewController> weak =
            std::static_pointer_cast<AdwickSearchViewController>(shared_from_this());
        download->setDelegate(weak);
        download->setSuccessSelector([weak](AdwickURLDownload& d) {
            if (auto self = weak.lock()) {
                self->suggestionDownloadDidSucceed(d);
            }
        });
        download->setFailureSelector([weak](AdwickURLDownload& d) {
            if (auto self = weak.lock()) {
                self->suggestionDownloadDidFail(d);
            }
        });
        activeSuggestionDownloads_.insert(download);
        download->loadContentsOfURLAtString(*url);
        return;
    }
    if (suggestionTable_) {
        suggestionTable_->setHidden(true);
    }
    suggestionList_.reset();
    if (suggestionTable_) {
        suggestionTable_->reloadData();
    }
}

void AdwickSearchViewController::suggestionDownloadDidSucceed(AdwickURLDownload& download) {
    auto held = download.shared_from_this();
    if (searchBar_ && download.identifier() == searchBar_->text()) {
        suggestionList_.reset();
        auto rows = suggestionsFromReply(download.data());
        if (!rows.empty()) {
            if (suggestionTable_) {
                suggestionTable_->setHidden(false);
            }
            suggestionList_ = std::move(rows);
        } else if (suggestionTable_) {
            suggestionTable_->setHidden(true);
        }
        if (suggestionTable_) {
            suggestionTable_->reloadData();
        }
    }
    dropDownload(download);
}

void AdwickSearchViewController::suggestionDownloadDidFail(AdwickURLDownload& download) {
    auto held = download.shared_from_this();
    if (searchBar_) {
        searchBar_->setUserInteractionEnabled(true);
    }
    dropDownload(download);
}

void AdwickSearchViewController::dropDownload(AdwickURLDownload& download) {
    auto held = download.shared_from_this();
    download.cancel();
    activeSuggestionDownloads_.erase(held);
}

int AdwickSearchViewController::numberOfSectionsInTableView(ui::TableView& /*tableView*/) {
    return 1;
}

int AdwickSearchViewController::tableViewNumberOfRowsInSection(ui::TableView& /*tableView*/, int /*section*/) {
    return suggestionList_ ? static_cast<int>(suggestionList_->size()) : 0;
}

std::shared_ptr<ui::TableViewCell>
AdwickSearchViewController::tableViewCellForRowAtIndexPath(ui::TableView& tableView, const ui::IndexPath& indexPath) {
    std::string text;
    if (suggestionList_ && indexPath.row >= 0 && static_cast<size_t>(indexPath.row) < suggestionList_->size()) {
        text = (*suggestionList_)[static_cast<size_t>(indexPath.row)];
    }
    auto cell = tableView.dequeueReusableCellWithIdentifier(text);
    if (!cell) {
        cell = ui::TableViewCell::initWithStyle(ui::TableViewCellStyle::Default, text);
    }
    cell->textLabel()->setFont(gfx::Font::withName("Helvetica", kRowFontSize));
    cell->textLabel()->setText(text);
    return cell;
}

void AdwickSearchViewController::tableViewDidSelectRowAtIndexPath(ui::TableView& /*tableView*/,
                                                                  const ui::IndexPath& indexPath) {
    if (suggestionList_ && indexPath.row >= 0 && static_cast<size_t>(indexPath.row) < suggestionList_->size()) {
        performSearch((*suggestionList_)[static_cast<size_t>(indexPath.row)]);
    }
}

void AdwickSearchViewController::searchBarSearchButtonClicked(ui::SearchBar& /*bar*/) {
    performSearch(searchBar_ ? std::optional<std::string>(searchBar_->text()) : std::nullopt);
}

void AdwickSearchViewController::searchBarCancelButtonClicked(ui::SearchBar& /*bar*/) {
    if (searchBar_) {
        searchBar_->resignFirstResponder();
    }
    relinquishScreen();
}

void AdwickSearchViewController::performSearch(const std::optional<std::string>& query) {
    if (!query) {
        return;
    }
    auto keep = shared_from_this();
    if (searchBar_) {
        searchBar_->setUserInteractionEnabled(false);
        searchBar_->setShowsCancelButton(false);
    }
    const gfx::Point centre = suggestionTable_ ? suggestionTable_->center() : gfx::Point();
    if (suggestionTable_) {
        suggestionTable_->removeFromSuperview();
    }
    if (webView_) {
        webView_->removeFromSuperview();
    }
    if (searchBar_) {
        searchBar_->setText(*query);
    }
    spinner_ = ui::ActivityIndicatorView::initWithActivityIndicatorStyle(ui::ActivityIndicatorViewStyle::White);
    spinner_->setFrame(gfx::Rect(centre.x - kSpinnerSide / 2, centre.y - kSpinnerSide / 2, kSpinnerSide, kSpinnerSide));
    if (isViewLoaded()) {
        view()->addSubview(spinner_);
    }
    spinner_->startAnimating();
    if (originalAd_) {
        auto table = std::make_shared<fnd::Dictionary>();
        for (const auto& [key, value] : originalAd_->userDemographicInfo()) {
            table->setObject(fnd::Value(value), fnd::Key(key));
        }
        table->setObject(fnd::Value(*query), fnd::Key("query"));
        auto ad = originalAd_;
        ad->clickWithData(fnd::Value(table));
    }
}

void AdwickSearchViewController::didReceiveMemoryWarning() {
    if (webView_) {
        webView_->removeFromSuperview();
        webView_.reset();
    }
}

} // namespace zelvan::adwick
