// The offer network's records of virtual goods, purchases and leaderboards: the typed values the client
// core builds from the parsed XML of those replies, and the bought item as the local store keeps it.
// Numbers saturate at the int range; a missing element reads as its default.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "offers/orvane/client/orv_records.h"
#include "platform/foundation/value.h"

namespace zelvan::orvane {

// The six leaderboard filter texts (filter1 ... filter6).
using ORVFilters = std::array<std::string, 6>;

// One attribute of a store item (a "VGStoreItemAttributeValueClass" element).
struct ORVAllVGStoreItemClassAttributeValues {
    std::string attributeType, attributeValue;
    static ORVAllVGStoreItemClassAttributeValues initWithInfo(const fnd::Value& element);
    bool operator==(const ORVAllVGStoreItemClassAttributeValues&) const = default;
};

// One store item (a "VGStoreItemClass" element).
struct ORVAllVGStoreItemClass {
    std::string VGStoreItemID, AppleProductID, Name, Description, VGStoreItemTypeName;
    int Price = 0;
    int NumberOwned = 0;
    std::vector<ORVAllVGStoreItemClassAttributeValues> AttributeValues;
    std::string DatafileURL, FullImageURL, ThumbImageURL, currencyName;

    static ORVAllVGStoreItemClass initWithInfo(const fnd::Value& element);
};

// A bought item as the local store keeps it: the item's fields and where its downloaded files are.
struct ORVLocalVGStoreItem : ORVAllVGStoreItemClass {
    // A copy of the store item's fields, with no file paths yet.
    static ORVLocalVGStoreItem initWithObject(const ORVAllVGStoreItemClass& item);

    void setThumbImageFilePath(std::string path) { thumbImageFilePath_ = std::move(path); }
    void setFullImageFilePath(std::string path) { fullImageFilePath_ = std::move(path); }
    void setDataFileDirPath(std::string path) { dataFileDirPath_ = std::move(path); }
    const std::string& thumbImageFilePath() const { return thumbImageFilePath_; }
    const std::string& fullImageFilePath() const { return fullImageFilePath_; }
    const std::string& dataFileDirPath() const { return dataFileDirPath_; }

private:
    std::string thumbImageFilePath_, fullImageFilePath_, dataFileDirPath_;
};

// A GetAllVGStoreItems or GetPurchasedVGStoreItems reply: the items of the page ("VGStoreItemsArray") and
// how many more the server holds ("MoreDataAvailable"; negative or unreadable reads 0).
struct ORVVGStoreItemsReturn {
    std::vector<ORVAllVGStoreItemClass> ORVAllVGStoreItemClassObject;
    int moreDataAvailable = 0;
    static ORVVGStoreItemsReturn initWithInfo(const fnd::Value& envelope);
};

// The answer of a PurchaseVGWithCurrency reply ("Success" true or 1, "Message").
struct ORVVGPurchaseReturn {
    bool success = false;
    std::string message;
    static ORVVGPurchaseReturn initWithInfo(const fnd::Value& envelope);
};

// One leaderboard row (a "HighScoreClass" element, or the "UsersBestScore").
struct ORVHighScoreReturn {
    int rank = 0;
    std::string highScoreID;
    std::array<int, 7> scores{}; // score1 ... score7
    ORVFilters filters;          // filter1 ... filter6; "" when the element holds no text

    static ORVHighScoreReturn initWithInfo(const fnd::Value& element);
    const std::string& playarName() const { return playarName_; }
    void setPlayarName(std::string name) { playarName_ = std::move(name); }
    // Score n (1 ... 7), 0 outside.
    int score(int n) const { return n >= 1 && n <= 7 ? scores[n - 1] : 0; }
    // Filter n (1 ... 6), "" outside.
    std::string filter(int n) const { return n >= 1 && n <= 6 ? filters[n - 1] : std::string(); }

protected:
    std::string playarName_;
};

// One row of a challenge's leaderboard; read like ORVHighScoreReturn.
struct ORVHighScoreByChallengeReturn : ORVHighScoreReturn {
    static ORVHighScoreByChallengeReturn initWithInfo(const fnd::Value& element);
};

// One choice of a leaderboard filter: `value` is sent to the server, `caption` shown.
struct ORVListMember {
    std::string value, caption;
    bool operator==(const ORVListMember&) const = default;
};

// The game's leaderboard description ("ScoresAndFilterInfo" of the connect reply).
struct ORVscoresAndFilterInfoReturn {
    std::array<std::optional<std::string>, 6> filterNames;  // filterName1 ... 6; none when not named
    std::array<std::optional<std::string>, 7> scoreNames;   // ScoreName1 ... 7
    std::array<std::vector<ORVListMember>, 6> filterValues; // filterValues1 ... 6, in document order

    static ORVscoresAndFilterInfoReturn initWithInfo(const fnd::Value& element);
    const std::optional<std::string>& filterName(int n) const { return filterNames.at(n - 1); }
    const std::optional<std::string>& ScoreName(int n) const { return scoreNames.at(n - 1); }
    const std::vector<ORVListMember>& filterValuesOf(int n) const { return filterValues.at(n - 1); }
};

// The GetHighScoreImage answer: the picture as Base64 text ("HighScoreImage").
struct ORVHighScoreImageReturn {
    std::string image;
};

// The result of one submitted score ("SubmitHighScoreReturnObject").
struct ORVSubmitHighScoreReturn {
    std::optional<std::string> submitHighScoreFailMessage; // none on success
    int TicketsAwarded = 0;
    int dayRank = 0;
    static ORVSubmitHighScoreReturn initWithInfo(const fnd::Value& element);
};

// The filter values last chosen on a leaderboard (read by the submit-score dialog).
class ORVFiltersValueInfo {
public:
    const std::string& filter1() const { return filters_[0]; }
    const std::string& filter2() const { return filters_[1]; }
    const std::string& filter3() const { return filters_[2]; }
    const std::string& filter4() const { return filters_[3]; }
    const std::string& filter5() const { return filters_[4]; }
    const std::string& filter6() const { return filters_[5]; }
    void setFilter1(std::string value) { filters_[0] = std::move(value); }
    void setFilter2(std::string value) { filters_[1] = std::move(value); }
    void setFilter3(std::string value) { filters_[2] = std::move(value); }
    void setFilter4(std::string value) { filters_[3] = std::move(value); }
    void setFilter5(std::string value) { filters_[4] = std::move(value); }
    void setFilter6(std::string value) { filters_[5] = std::move(value); }
    const ORVFilters& filters() const { return filters_; }

private:
    ORVFilters filters_;
};

// One score to submit: the six filters, seven scores, the screenshot and verification texts, the player's
// name and the challenge id, in the order the request sends them.
struct ORVScoreSubmission {
    ORVFilters filters;
    std::array<int, 7> scores{};
    std::string screenShot, scoreVerification, playerName, challengeId;
};

} // namespace zelvan::orvane
