// Building the offer network's goods, purchase and leaderboard records from parsed replies.
#include "offers/orvane/client/orv_goods_records.h"

#include <algorithm>

#include "offers/orvane/client/orv_parser.h"
#include "platform/foundation/string_ops.h"

namespace zelvan::orvane {

namespace {

// Every dictionary under `key` of the element `list` of `parent` (none when either is missing).
std::vector<fnd::Value> elementsOf(const fnd::Value& parent, std::string_view list, std::string_view key) {
    std::vector<fnd::Value> out;
    fnd::Value values = ORVParser::listValue(ORVParser::dictionaryValue(parent, list), key);
    if (auto items = values.asArray()) {
        for (size_t i = 0; i < items->count(); ++i) {
            if (items->objectAtIndex(i).isDictionary()) {
                out.push_back(items->objectAtIndex(i));
            }
        }
    }
    return out;
}

// A named text: none when the element is missing or holds no text.
std::optional<std::string> namedText(const fnd::Value& e, const std::string& key) {
    auto text = ORVParser::stringValue(e, key);
    if (text && text->empty()) {
        text.reset();
    }
    return text;
}

} // namespace

ORVAllVGStoreItemClassAttributeValues ORVAllVGStoreItemClassAttributeValues::initWithInfo(const fnd::Value& e) {
    return {orvStringValue(e, "AttributeType"), orvStringValue(e, "AttributeValue")};
}

ORVAllVGStoreItemClass ORVAllVGStoreItemClass::initWithInfo(const fnd::Value& e) {
    ORVAllVGStoreItemClass item;
    item.VGStoreItemID = orvStringValue(e, "VGStoreItemID");
    item.AppleProductID = orvStringValue(e, "AppleProductID");
    item.Name = orvStringValue(e, "Name");
    item.Description = orvStringValue(e, "Description");
    item.VGStoreItemTypeName = orvStringValue(e, "VGStoreItemTypeName");
    item.Price = orvIntValue(e, "Price");
    item.NumberOwned = orvIntValue(e, "NumberOwned");
    for (const auto& attribute : elementsOf(e, "AttributeValues", "VGStoreItemAttributeValueClass")) {
        item.AttributeValues.push_back(ORVAllVGStoreItemClassAttributeValues::initWithInfo(attribute));
    }
    item.DatafileURL = orvStringValue(e, "DatafileURL");
    item.FullImageURL = orvStringValue(e, "FullImageURL");
    item.ThumbImageURL = orvStringValue(e, "ThumbImageURL");
    item.currencyName = orvStringValue(e, "CurrencyName");
    return item;
}

ORVLocalVGStoreItem ORVLocalVGStoreItem::initWithObject(const ORVAllVGStoreItemClass& item) {
    ORVLocalVGStoreItem local;
    static_cast<ORVAllVGStoreItemClass&>(local) = item;
    return local;
}

ORVVGStoreItemsReturn ORVVGStoreItemsReturn::initWithInfo(const fnd::Value& envelope) {
    ORVVGStoreItemsReturn reply;
    for (const auto& item : elementsOf(envelope, "VGStoreItemsArray", "VGStoreItemClass")) {
        reply.ORVAllVGStoreItemClassObject.push_back(ORVAllVGStoreItemClass::initWithInfo(item));
    }
    // A count below zero would page backwards: it reads as none.
    reply.moreDataAvailable = std::max(0, orvIntValue(envelope, "MoreDataAvailable"));
    return reply;
}

ORVVGPurchaseReturn ORVVGPurchaseReturn::initWithInfo(const fnd::Value& envelope) {
    ORVVGPurchaseReturn answer;
    const std::string success =
        fnd::lowerAscii(fnd::trim(orvStringValue(envelope, "Success"), fnd::CharSet::WhitespaceAndNewline));
    answer.success = success == "true" || success == "1";
    answer.message = orvStringValue(envelope, "Message");
    return answer;
}

ORVHighScoreReturn ORVHighScoreReturn::initWithInfo(const fnd::Value& e) {
    ORVHighScoreReturn row;
    row.rank = orvIntValue(e, "Rank");
    row.playarName_ = orvStringValue(e, "PlayerName");
    row.highScoreID = orvStringValue(e, "HighScoreID");
    for (size_t i = 0; i < row.scores.size(); ++i) {
        row.scores[i] = orvIntValue(e, "Score" + std::to_string(i + 1));
    }
    for (size_t i = 0; i < row.filters.size(); ++i) {
        row.filters[i] = orvStringValue(e, "Filter" + std::to_string(i + 1));
    }
    return row;
}

ORVHighScoreByChallengeReturn ORVHighScoreByChallengeReturn::initWithInfo(const fnd::Value& e) {
    ORVHighScoreByChallengeReturn row;
    static_cast<ORVHighScoreReturn&>(row) = ORVHighScoreReturn::initWithInfo(e);
    return row;
}

ORVscoresAndFilterInfoReturn ORVscoresAndFilterInfoReturn::initWithInfo(const fnd::Value& e) {
    ORVscoresAndFilterInfoReturn info;
    for (size_t i = 0; i < info.filterNames.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        info.filterNames[i] = namedText(e, "FilterName" + n);
        for (const auto& member : elementsOf(e, "FilterValues" + n, "FilterValue")) {
            info.filterValues[i].push_back({orvStringValue(member, "Value"), orvStringValue(member, "Caption")});
        }
    }
    for (size_t i = 0; i < info.scoreNames.size(); ++i) {
        info.scoreNames[i] = namedText(e, "ScoreName" + std::to_string(i + 1));
    }
    return info;
}

ORVSubmitHighScoreReturn ORVSubmitHighScoreReturn::initWithInfo(const fnd::Value& e) {
    ORVSubmitHighScoreReturn result;
    result.TicketsAwarded = orvIntValue(e, "TicketsAwarded");
    result.dayRank = orvIntValue(e, "DayRank");
    return result;
}

} // namespace zelvan::orvane
