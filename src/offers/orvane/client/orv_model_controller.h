// ORVModelController: the offer network's reply cache - the last picture and quote, the ad order with its
// banner and full-page networks, the connect reply with the user's account, the store's lists, the last
// purchase and the leaderboards (orv_model_controller_goods.cpp). Main thread.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "offers/orvane/client/orv_goods_records.h"
#include "offers/orvane/client/orv_records.h"

namespace zelvan::orvane {

class ORVModelController {
public:
    // The context's cache; null without a context (orvane_entry_points.cpp).
    static std::shared_ptr<ORVModelController> sharedInstance();

    const std::optional<ORVOrvanePicture>& getOrvanePictureReturnObj() const { return picture_; }
    const std::optional<ORVOrvaneQuote>& getOrvaneQuoteReturnObj() const { return quote_; }
    void setOrvanePictureReturnObj(ORVOrvanePicture picture) { picture_ = std::move(picture); }
    void setOrvaneQuoteReturnObj(ORVOrvaneQuote quote) { quote_ = std::move(quote); }

    // Caches a GetAdOrder reply's envelope: the banner networks (those whose "AdFormat" is not 1, each
    // after updateAdNetworkCredentials), the full-page ones in order, and the AdOrderData.
    void cacheAdOrder(const fnd::Value& envelope);
    // Null before the order arrived.
    const std::optional<AdOrderData>& getAdOrderDataObj() const { return adOrder_; }
    const std::optional<std::vector<ORVAdNetwork>>& adNetworkArray() const { return banners_; }
    const std::vector<ORVAdNetwork>& getFullPageAdNetworkArray() const { return fullPage_; }
    // A new one-entry list holding ORVAdNetwork::orvaneProvider().
    static std::vector<ORVAdNetwork> defaultAdProvidersInfo();

    const std::optional<ORVConnectReturn>& orvaneConnectionObj() const { return connect_; }
    const std::optional<ORVUserAccount>& orvaneUserAccountObj() const { return account_; }
    // Keeps the connect reply and, when it carries one, its account.
    void cacheConnectReturn(ORVConnectReturn reply);

    // --- Virtual goods ---
    // The last list reply of each list (ORVAllVGStoreItemClassObject holds its items), or none.
    const std::optional<ORVVGStoreItemsReturn>& getAllVGStoreItemsArray() const { return allItems_; }
    const std::optional<ORVVGStoreItemsReturn>& getPurchasedVGStoreItemsArray() const { return purchasedItems_; }
    void setAllVGStoreItemsArray(ORVVGStoreItemsReturn reply) { allItems_ = std::move(reply); }
    void setPurchasedVGStoreItemsArray(ORVVGStoreItemsReturn reply) { purchasedItems_ = std::move(reply); }
    void releaseCacheAllVGStoreArray() { allItems_.reset(); }
    void releaseCachePurchasedVGStoreArray() { purchasedItems_.reset(); }
    // The video offers the offer wall keeps here, or none.
    const std::optional<std::vector<ORVOfferReturnClass>>& getAllVideoArray() const { return videos_; }
    void setAllVideoArray(std::vector<ORVOfferReturnClass> videos) { videos_ = std::move(videos); }
    void releaseCacheAllVideoArray() { videos_.reset(); }
    // The other offers of the offer wall's last good list, or none.
    const std::optional<std::vector<ORVOfferReturnClass>>& getAllOffersArray() const { return offers_; }
    void setAllOffersArray(std::vector<ORVOfferReturnClass> offers) { offers_ = std::move(offers); }
    void releaseCacheAllOffersArray() { offers_.reset(); }
    // The last purchase answer, or none.
    const std::optional<ORVVGPurchaseReturn>& getVGPurchaseReturnObj() const { return purchase_; }
    // Keeps a purchase answer and, when the reply carried one, the user's account (the account held
    // before stays when it did not).
    void cachePurchaseReturn(ORVVGPurchaseReturn answer, std::optional<ORVUserAccount> account);

    // --- Leaderboards ---
    using HighScoreList = std::vector<ORVHighScoreReturn>;
    using ChallengeList = std::vector<ORVHighScoreByChallengeReturn>;
    // The cached rows: the same list object on every call until releaseHighScoresObject.
    std::shared_ptr<HighScoreList> getOrvaneHighScoreobj();
    std::shared_ptr<ChallengeList> getOrvaneHighScoreByChallengeobj();
    // While set, GetHighScoresByFilter replies append their rows rather than replacing the list.
    void setMoreHighScore(bool more) { moreHighScore_ = more; }
    bool moreHighScore() const { return moreHighScore_; }
    // Caches a GetHighScoresByFilter reply's rows (as setMoreHighScore says) and its best score.
    void cacheHighScores(HighScoreList rows, std::optional<ORVHighScoreReturn> best);
    // Replaces the challenge rows.
    void cacheHighScoresByChallenge(ChallengeList rows);
    // Empties and drops the cached rows and clears the append flag.
    void releaseHighScoresObject();
    // The best-score row of the last reply, or none (the leaderboard may clear its name).
    std::optional<ORVHighScoreReturn>& getUserBestScoreObj() { return bestScore_; }
    void releaseCacheBestScores() { bestScore_.reset(); }
    // The game's leaderboard description from the connect reply; none before it or when the game has none.
    std::optional<ORVscoresAndFilterInfoReturn> getORVscoresAndFilterInfoReturn() const;
    const std::optional<ORVHighScoreImageReturn>& getHighScoreImageReturnObj() const { return scoreImage_; }
    void setHighScoreImageReturnObj(ORVHighScoreImageReturn image) { scoreImage_ = std::move(image); }
    // The result of the last submitted score, or none.
    const std::optional<ORVSubmitHighScoreReturn>& getSubmitHighScoreReturnObj() const { return submitted_; }
    void setSubmitHighScoreReturnObj(ORVSubmitHighScoreReturn result) { submitted_ = std::move(result); }
    void releaseSubmitHighScoreReturnObj() { submitted_.reset(); }

private:
    std::optional<ORVVGStoreItemsReturn> allItems_, purchasedItems_;
    std::optional<std::vector<ORVOfferReturnClass>> videos_;
    std::optional<std::vector<ORVOfferReturnClass>> offers_;
    std::optional<ORVVGPurchaseReturn> purchase_;
    std::shared_ptr<HighScoreList> highScores_;
    std::shared_ptr<ChallengeList> challengeScores_;
    bool moreHighScore_ = false;
    std::optional<ORVHighScoreReturn> bestScore_;
    std::optional<ORVHighScoreImageReturn> scoreImage_;
    std::optional<ORVSubmitHighScoreReturn> submitted_;
    std::optional<ORVOrvanePicture> picture_;
    std::optional<ORVOrvaneQuote> quote_;
    std::optional<AdOrderData> adOrder_;
    std::optional<std::vector<ORVAdNetwork>> banners_;
    std::vector<ORVAdNetwork> fullPage_;
    std::optional<ORVConnectReturn> connect_;
    std::optional<ORVUserAccount> account_;
};

} // namespace zelvan::orvane
