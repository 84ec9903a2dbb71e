// The fake offer service's store and leaderboard answers: 60 goods (the first 3 bought), paged by "start"
// and "max", their files on the ad host under "/store/items/"; a purchase accepted, or refused for the
// item "refused"; 40 scores paged the same way with the player's best; a challenge's scores; a score
// picture; a submitted score's result.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/foundation/format.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {

namespace {

constexpr int kGoods = 60;
constexpr int kBought = 3;
constexpr int kScores = 40;

// A paging parameter as a count: a missing, negative or unreadable value reads `fallback`.
int count(const DevAdsRequest& request, const char* name, int fallback) {
    const std::string text = request.param(name);
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0) {
        return fallback;
    }
    return static_cast<int>(std::min<long>(value, 1000000));
}

// Item n's files on the ad host (`host` as the request named it): the second bought item's archive stands
// behind a gateway page, the third's comes without a length.
std::string item(int n, const std::string& host) {
    const std::string files = "http://" + host + "/store/items/";
    const std::string data = n == 2   ? fnd::format("gateway-%d.zip", n)
                             : n == 3 ? fnd::format("nolength-%d.zip", n)
                                      : fnd::format("%d.zip", n);
    return fnd::format("<VGStoreItemClass><VGStoreItemID>goods-%d</VGStoreItemID><AppleProductID>com.zelvan.goods%d"
                       "</AppleProductID><Name>Item %d</Name><Description>Demo good number %d</Description>"
                       "<Price>%d</Price><VGStoreItemTypeName>Power-up</VGStoreItemTypeName>"
                       "<NumberOwned>%d</NumberOwned><AttributeValues><VGStoreItemAttributeValueClass>"
                       "<AttributeType>Colour</AttributeType><AttributeValue>Blue</AttributeValue>"
                       "</VGStoreItemAttributeValueClass><VGStoreItemAttributeValueClass><AttributeType>Level"
                       "</AttributeType><AttributeValue>%d</AttributeValue></VGStoreItemAttributeValueClass>"
                       "</AttributeValues><DatafileURL>%@%@</DatafileURL><FullImageURL>%@%d-full.png</FullImageURL>"
                       "<ThumbImageURL>%@%d-thumb.png</ThumbImageURL><CurrencyName>Coins</CurrencyName>"
                       "</VGStoreItemClass>",
                       n, n, n, n, n * 10, n <= kBought ? 1 : 0, n, files, data, files, n, files, n);
}

std::string goodsPage(const DevAdsRequest& request, int total) {
    const int start = count(request, "start", 0);
    const int max = count(request, "max", 25);
    std::string items;
    const int end = static_cast<int>(std::min<long>(total, static_cast<long>(start) + max));
    for (int n = start + 1; n <= end; ++n) {
        items += item(n, request.header("Host"));
    }
    return fnd::format("<VGStoreItemsArray>%s</VGStoreItemsArray><MoreDataAvailable>%d</MoreDataAvailable>", items,
                       std::max(0, total - std::max(end, start)));
}

std::string scoreRow(int rank, const char* name, int score) {
    return fnd::format("<Rank>%d</Rank><PlayerName>%s</PlayerName><HighScoreID>hs-%d</HighScoreID><Score1>%d</Score1>"
                       "<Score2>%d</Score2><Score3>0</Score3><Filter1>Easy</Filter1><Filter2></Filter2>",
                       rank, name, rank, score, rank * 2);
}

std::string scoresPage(const DevAdsRequest& request) {
    const int start = count(request, "start", 0);
    const int max = count(request, "max", 25);
    const int end = static_cast<int>(std::min<long>(kScores, static_cast<long>(start) + max));
    std::string rows;
    for (int rank = start + 1; rank <= end; ++rank) {
        rows += "<HighScoreClass>" + scoreRow(rank, "Player", 100000 - rank * 100) + "</HighScoreClass>";
    }
    return fnd::format("<HighScoresArray>%s</HighScoresArray><UsersBestScore>%s</UsersBestScore>"
                       "<MoreDataAvailable>%d</MoreDataAvailable>",
                       rows, scoreRow(7, "Demo Player", 99300), std::max(0, kScores - std::max(end, start)));
}

} // namespace

std::optional<std::string> orvaneGoodsReply(const std::string& method, const DevAdsRequest& request) {
    if (method == "GetAllVGStoreItems") {
        return goodsPage(request, kGoods);
    }
    if (method == "GetPurchasedVGStoreItems") {
        return goodsPage(request, kBought);
    }
    if (method == "PurchaseVGWithCurrency") {
        if (request.param("VirtualGoodID") == "refused") {
            return std::string("<Success>false</Success><Message>Not enough Coins</Message>");
        }
        return std::string("<Success>true</Success><Message>Bought</Message><UserAccountObject><FriendlyName>Demo "
                           "Player</FriendlyName><CurrencyName>Coins</CurrencyName><TapPoints>90</TapPoints>"
                           "<PointsID>pts-1001</PointsID></UserAccountObject>");
    }
    if (method == "GetHighScoresByFilter") {
        return scoresPage(request);
    }
    if (method == "GetHighScoresByChallenge") {
        return fnd::format("<HighScoresArray><HighScoreClass>%s</HighScoreClass><HighScoreClass>%s</HighScoreClass>"
                           "</HighScoresArray>",
                           scoreRow(1, "Challenger", 5000), scoreRow(2, "Demo Player", 4000));
    }
    if (method == "GetHighScoreImage") {
        return std::string("<HighScoreImage>iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAAAAAA6fptVAAAACklEQVR4nGNoAAAAggCBd81yt"
                           "gAAAABJRU5ErkJggg==</HighScoreImage>");
    }
    if (method == "SubmitHighScore") {
        return std::string("<SubmitHighScoreReturnObject><TicketsAwarded>3</TicketsAwarded><DayRank>12</DayRank></"
                           "SubmitHighScoreReturnObject>");
    }
    return std::nullopt;
}

} // namespace zelvan::devserver
