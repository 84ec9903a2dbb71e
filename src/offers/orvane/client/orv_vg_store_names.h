// The names the store of virtual goods, its item page and the purchase box announce to each other (posted
// on the main thread with no object), and the beacon section of a purchase.
#pragma once

namespace zelvan::orvane {

// The purchase box: OK after a successful purchase (heard by the item page).
inline constexpr const char* kORVPurchaseSuccess = "ORV_VG_PURCHASE_SUCCESS_NOTIFICATION";
// The item page: Back after a purchase (the store reopens on "My Items").
inline constexpr const char* kORVPurchaseSuccessBack = "ORV_VG_PURCHASE_SUCCESS_NOTIFICATION_BACK";
// Closes the store a second later.
inline constexpr const char* kORVRemoveVirtualGoodsView = "ORV_REMOVE_VIRTUAL_GOODS_VIEW";
// The item page's download finished: the store marks the row it opened as downloaded.
inline constexpr const char* kORVUpdateDownload = "UPDATE_DOWNLOAD_NOTIFICATION";
// The timed beacon section from a purchase box's confirmation to its closing.
inline constexpr const char* kORVItemPurchaseBeacon = "Item Purchase Request";

} // namespace zelvan::orvane
