// The game steps of the demo, played as a person would: a tap on the Games tab, a tap on the lobby's
// "Play alone" link where the page drew it, and watching the game run to its result and the score
// page.
#include "tools/demo/demo_game_steps.h"

#include <string>
#include <string_view>

#include "games/screen/game_load_view.h"
#include "games/screen/script_view.h"
#include "platform/ui/alert_view.h"
#include "platform/ui/testing/alert_driver.h"
#include "platform/ui/testing/navigation_driver.h"
#include "platform/ui/testing/view_search.h"
#include "platform/ui/testing/web_view_driver.h"
#include "platform/ui/web_view.h"
#include "platform/ui/window.h"

namespace zelvan::demo {

namespace {

using ui::testing::findView;

// The link that plays a game alone in the lobby's page.
constexpr std::string_view kPlayLink = "zelvan://playsinglegame";

// The web view on screen when it has finished loading a page whose path contains `page`, else null.
std::shared_ptr<ui::WebView> loadedPage(const std::shared_ptr<ui::Window>& window, std::string_view page) {
    auto webView = findView<ui::WebView>(window);
    if (!webView || webView->isLoading() || !webView->request()) {
        return nullptr;
    }
    const auto& url = webView->request()->url();
    return url.path().find(page) != std::string::npos ? webView : nullptr;
}

// The first of the page's links that starts with `prefix`, or empty.
std::string linkStartingWith(const ui::WebView& webView, std::string_view prefix) {
    for (const auto& href : webView.document().links()) {
        if (std::string_view(href).substr(0, prefix.size()) == prefix) {
            return href;
        }
    }
    return {};
}

// The value of `key` in a URL's query ("tid=301&score=100"), or empty.
std::string queryValue(const std::string& query, const std::string& key) {
    size_t at = 0;
    while (at <= query.size()) {
        const size_t end = std::min(query.find('&', at), query.size());
        const std::string_view pair(query.data() + at, end - at);
        if (pair.substr(0, key.size() + 1) == key + "=") {
            return std::string(pair.substr(key.size() + 1));
        }
        at = end + 1;
    }
    return {};
}

} // namespace

bool runGameSteps(DemoSession& session) {
    auto& steps = session.steps;
    auto delegate = session.delegate;
    auto window = delegate->window();
    if (!steps.act("tap the Games tab",
                   ui::testing::tapTab(delegate->tabBarController(), zelvanAppDelegate::TabGames))) {
        return false;
    }
    std::shared_ptr<ui::WebView> lobby;
    if (!steps.waitFor("the game lobby", [&] {
            lobby = loadedPage(window, "games.html");
            return lobby && !linkStartingWith(*lobby, kPlayLink).empty();
        })) {
        return false;
    }
    steps.pause(0.2); // the page's style sheet comes in after the page
    session.screens.save(*window, "03-lobby.png");

    if (!steps.act("tap the lobby's play link", ui::testing::WebViewDriver(lobby).tapLinkNamed("Play alone"))) {
        return false;
    }
    if (!steps.waitFor("the game loads", [&] {
            auto loading = findView<GameLoadView>(window);
            return loading && !loading->isHidden();
        })) {
        return false;
    }
    session.screens.save(*window, "04-game-loading.png");
    if (!steps.waitFor("the game runs",
                       [&] { return findView<ScriptView>(window) && !findView<GameLoadView>(window); })) {
        return false;
    }
    // The game draws on its own ticks (50 ms); a few of them put its first frames on screen.
    steps.pause(0.3);
    session.screens.save(*window, "05-game.png");

    // The result shows in the client's information box over the game.
    std::shared_ptr<ui::AlertView> result;
    if (!steps.waitFor("the game's result", [&] {
            result = ui::testing::AlertDriver::visibleAlert();
            return result != nullptr;
        })) {
        return false;
    }
    steps.pause(0.4); // the box fades in
    session.screens.save(*window, "06-game-result.png");
    session.gameResult = "\"" + result->title() + "\"";
    std::shared_ptr<ui::WebView> score;
    // The lobby opens the score page and the game screen closes.
    if (!steps.waitFor("the score page", [&] {
            score = loadedPage(window, "score");
            return score != nullptr && !findView<ScriptView>(window);
        })) {
        return false;
    }
    const std::string points = queryValue(score->request()->url().query(), "score");
    if (!points.empty()) {
        session.gameResult += ", score " + points;
    }
    steps.pause(0.2);
    session.screens.save(*window, "07-lobby-score.png");
    return true;
}

} // namespace zelvan::demo
