// The names the offer network's client announces its goods, purchase and leaderboard replies by (posted
// on the main thread with no object).
#pragma once

namespace zelvan::orvane {

inline constexpr const char* kORVAllVGStoreItemsReceived = "SUBMIT_ALL_VG_STORE_ITEMS_RECIEVE_DATA";
inline constexpr const char* kORVAllVGStoreItemsError = "SUBMIT_ALL_VG_STORE_ITEMS_ERROR_RECIEVE_DATA";
inline constexpr const char* kORVAllVGStoreItemsNetError = "SUBMIT_ALL_VG_STORE_ITEMS_INTERNET_ERROR_RECIEVE_DATA";
inline constexpr const char* kORVPurchasedVGStoreItemsReceived = "SUBMIT_PURCHASED_VG_STORE_ITEMS_RECIEVE_DATA";
inline constexpr const char* kORVPurchasedVGStoreItemsError = "SUBMIT_PURCHASED_VG_STORE_ITEMS_ERROR_RECIEVE_DATA";
inline constexpr const char* kORVPurchasedVGStoreItemsNetError =
    "SUBMIT_PURCHASED_VG_STORE_ITEMS_INTERNET_ERROR_RECIEVE_DATA";

inline constexpr const char* kORVPurchaseNetError = "ORV_VG_ITEM_PURCHASE_NET_ERROR";
inline constexpr const char* kORVPurchaseServiceError = "ORV_VG_ITEM_PURCHASE_SERVICE_ERROR";
inline constexpr const char* kORVPurchaseReturn = "ORV_VG_ITEM_PURCHASE_RETURN";

// GetHighScoresByFilter: rows cached / ErrorMessage / no usable reply.
inline constexpr const char* kORVHighScoresReceived = "3";
inline constexpr const char* kORVHighScoresError = "8";
inline constexpr const char* kORVHighScoresNetError = "9";
// GetHighScoresByChallenge.
inline constexpr const char* kORVChallengeScoresReceived = "4";
inline constexpr const char* kORVChallengeScoresError = "21";
inline constexpr const char* kORVChallengeScoresNetError = "20";
// GetHighScoreImage.
inline constexpr const char* kORVHighScoreImageReceived = "11";
inline constexpr const char* kORVHighScoreImageError = "24";
inline constexpr const char* kORVHighScoreImageNetError = "23";
// SubmitHighScore: submitted / ErrorMessage / no data. "8" is also GetHighScoresByFilter's ErrorMessage:
// ORVShadow::lastEightSource() says which request an "8" answered.
inline constexpr const char* kORVSubmitScoreReturned = "2";
inline constexpr const char* kORVSubmitScoreFailed = "7";
inline constexpr const char* kORVSubmitScoreNoData = "8";

} // namespace zelvan::orvane
