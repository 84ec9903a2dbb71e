// vCard fields, display name, equality and contact-list order. The address-book conversion lives in
// v_card_address_book.cpp.
#include "messaging/model/v_card.h"

#include <algorithm>
#include <array>

#include "platform/foundation/string_ops.h"
#include "platform/foundation/utf16.h"

namespace zelvan {

namespace {

// Whether the text is non-empty and its first character lies above U+00FF (names written in such
// scripts put the family name first, with no blank between the parts).
bool startsAboveLatin1(const std::string* text) {
    return text != nullptr && !text->empty() && fnd::utf16CharAt(*text, 0) > 0xFF;
}

} // namespace

std::shared_ptr<vCard> vCard::create() {
    return std::make_shared<vCard>();
}

const fnd::Value* vCard::field(int key) const {
    return ui_ ? ui_->find(key) : nullptr;
}

void vCard::setUi(std::shared_ptr<fnd::Dictionary> ui) {
    ui_ = std::move(ui);
    nameCache_.reset();
    nameKeyCache_.reset();
    if (ui_ && ui_->containsKey(kKeyUserId)) {
        userIdCache_ = kNotRead;
    }
    if (ui_ && ui_->containsKey(kKeyType)) {
        typeCache_ = kNotRead;
    }
}

int32_t vCard::userid() const {
    if (userIdCache_ == kNotRead) {
        const fnd::Value* v = field(kKeyUserId);
        userIdCache_ = v != nullptr ? v->intValue() : 0;
    }
    return userIdCache_;
}

void vCard::setUserid(int32_t userId) {
    userIdCache_ = userId;
    if (ui_) {
        ui_->setObject(userId, kKeyUserId);
    }
}

int32_t vCard::type() const {
    if (typeCache_ == kNotRead) {
        const fnd::Value* v = field(kKeyType);
        typeCache_ = v != nullptr ? v->intValue() : -1;
    }
    return typeCache_;
}

void vCard::setType(int32_t type) {
    typeCache_ = type;
    if (ui_) {
        ui_->setObject(type, kKeyType);
    }
}

std::optional<std::string> vCard::displayName() const {
    const fnd::Value* a = field(kKeyNameA);
    const fnd::Value* b = field(kKeyNameB);
    if (a == nullptr && b == nullptr) {
        return std::nullopt;
    }
    const std::string partA = a != nullptr ? a->stringValue() : std::string();
    const std::string partB = b != nullptr ? b->stringValue() : std::string();
    if (startsAboveLatin1(&partA) || startsAboveLatin1(&partB)) {
        return partA + partB;
    }
    if (!partA.empty() && !partB.empty()) {
        return partB + " " + partA;
    }
    return partB + partA;
}

std::string vCard::getname() const {
    if (!nameCache_) {
        nameCache_ = displayName();
    }
    return nameCache_->value_or(std::string());
}

const std::u16string& vCard::nameKey() const {
    if (!nameKeyCache_) {
        nameKeyCache_ = fnd::caseInsensitiveKey(getname());
        nameKeyHead_.fill(u'\0');
        std::copy_n(nameKeyCache_->begin(), std::min(nameKeyCache_->size(), kKeyHead), nameKeyHead_.begin());
    }
    return *nameKeyCache_;
}

fnd::Value vCard::gettels() const {
    auto numbers = fnd::Array::make();
    for (int key = kKeyPhoneMain; key <= kKeyPhoneOther; ++key) {
        if (const fnd::Value* v = field(key)) {
            numbers->addObject(*v);
        }
    }
    if (numbers->empty()) {
        return {};
    }
    if (numbers->count() == 1) {
        return numbers->objectAtIndex(0);
    }
    return numbers;
}

fnd::Value vCard::getFirstTel() const {
    for (int key = kKeyPhoneMain; key <= kKeyPhoneOther; ++key) {
        if (const fnd::Value* v = field(key)) {
            return *v;
        }
    }
    return {};
}

bool vCard::isEqualSub(const vCard& other, int i, int j) const {
    const fnd::Value* mine = field(i);
    const fnd::Value* theirs = other.field(j);
    if (mine == nullptr || theirs == nullptr) {
        return mine == theirs;
    }
    return *mine == *theirs;
}

bool vCard::isEqualTovCard(const vCard& other) const {
    for (int key : {kKeyType, 0, 1, 2, 3, 4, 5, 6}) {
        if (!isEqualSub(other, key, key)) {
            return false;
        }
    }
    for (int key = 10; key <= 20; ++key) {
        if (!isEqualSub(other, key, key)) {
            return false;
        }
    }
    static constexpr std::array<std::array<int, 3>, 6> kOrders{
        {{7, 8, 9}, {7, 9, 8}, {8, 7, 9}, {8, 9, 7}, {9, 7, 8}, {9, 8, 7}}};
    for (const auto& order : kOrders) {
        if (isEqualSub(other, 7, order[0]) && isEqualSub(other, 8, order[1]) && isEqualSub(other, 9, order[2])) {
            return true;
        }
    }
    return false;
}

int vCard::compareTo(const vCard& other) const {
    // Each rule splits the cards into ranked classes, so the whole is a strict weak order that
    // sorting can rely on.
    const bool onlineA = state() != 0;
    const bool onlineB = other.state() != 0;
    if (onlineA != onlineB) {
        return onlineA ? -1 : 1;
    }
    const bool userA = userid() > 0;
    const bool userB = other.userid() > 0;
    if (userA != userB) {
        return userA ? -1 : 1;
    }
    const int32_t typeA = type();
    const int32_t typeB = other.type();
    if (typeA != typeB) {
        if (typeA == 0 || typeB == 0) {
            return typeA == 0 ? -1 : 1;
        }
        return typeA > typeB ? -1 : 1;
    }
    // The names compared are the ones the lists show: a card without name fields shows "" and so
    // sorts before the named ones.
    const std::u16string& keyA = nameKey();
    const std::u16string& keyB = other.nameKey();
    // The first units decide from the copies kept in the cards; the text past them only when they tie.
    const size_t head = std::min({keyA.size(), keyB.size(), kKeyHead});
    for (size_t i = 0; i < head; ++i) {
        if (nameKeyHead_[i] != other.nameKeyHead_[i]) {
            return nameKeyHead_[i] < other.nameKeyHead_[i] ? -1 : 1;
        }
    }
    if (head < kKeyHead) {
        return keyA.size() < keyB.size() ? -1 : (keyA.size() > keyB.size() ? 1 : 0);
    }
    const int order = keyA.compare(kKeyHead, std::u16string::npos, keyB, kKeyHead);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

bool vCard::supportOfflineMessage() const {
    return (options_.intForKey(kOptionCapabilities) & kCapabilityOfflineMessage) != 0;
}

bool vCard::supportOfflineGame() const {
    return (options_.intForKey(kOptionCapabilities) & kCapabilityOfflineGame) != 0;
}

} // namespace zelvan
