// vCard: a product friend or an address-book contact. Its whole persistent content is the
// number-keyed `ui` field dictionary; the card adds presence, options, a cached display name and the
// conversion to and from an address-book person.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "core/int_collections.h"
#include "messaging/model/base_card.h"
#include "platform/foundation/date.h"
#include "platform/foundation/value.h"

namespace device {
class Person;
}

namespace zelvan {

class vCard : public baseCard {
public:
    // Keys of the `ui` dictionary. Values are strings except the type, the birthday and the user id,
    // which are integers.
    static constexpr int kKeyType = -1;
    static constexpr int kKeyNameA = 0;
    static constexpr int kKeyNameB = 1;
    static constexpr int kKeyOrganization = 2;
    static constexpr int kKeyJobTitle = 3;
    static constexpr int kKeyPhoneMain = 4;
    static constexpr int kKeyPhoneHomeFax = 5;
    static constexpr int kKeyPhoneWorkFax = 6;
    static constexpr int kKeyPhoneMobile = 7;
    static constexpr int kKeyPhoneExtra = 8;
    static constexpr int kKeyPhoneOther = 9;
    static constexpr int kKeyFirstEmail = 13; // 13 to 15
    static constexpr int kKeyFirstUrl = 16;   // 16 to 18
    static constexpr int kKeyBirthday = 19;   // milliseconds since 1970-01-01 UTC
    static constexpr int kKeyNote = 20;
    static constexpr int kKeyUserId = 100;

    // Bits of options key 1.
    static constexpr int kOptionCapabilities = 1;
    static constexpr int kCapabilityOfflineMessage = 1;
    static constexpr int kCapabilityOfflineGame = 2;

    static std::shared_ptr<vCard> create();
    // A new card whose `ui` holds the person's fields by the import rules (type 0).
    static std::shared_ptr<vCard> initWithPerson(const device::Person& person);

    vCard() = default;

    std::string className() const override { return "vCard"; }
    CardKind kind() const override { return CardKind::V; }

    // Writes the card's fields into `person` by the export rules, replacing the person's names,
    // organisation, job title, note, birthday, phones, URLs and e-mails. A null person is logged and
    // changes nothing.
    void save(const std::shared_ptr<device::Person>& person) const;

    // The display name, computed on first request and kept until the next setUi.
    std::string getname() const override;

    // getname()'s fnd::caseInsensitiveKey, computed on first request and kept until the next setUi.
    const std::u16string& nameKey() const;

    // Key 100 (absent reads 0) / key -1 (absent reads -1), each read once and cached; the setters
    // write the cache and the key.
    int32_t userid() const;
    void setUserid(int32_t userId);
    int32_t type() const;
    void setType(int32_t type);

    // Null when no telephone key is present, the one number when exactly one is, otherwise an array
    // of the numbers in key order 4 to 9.
    fnd::Value gettels() const;
    // The number under the lowest present key of 4 to 9, or null.
    fnd::Value getFirstTel() const;

    // Whether the other card holds the same contact: keys -1, 0 to 6 and 10 to 20 pairwise, the
    // phones under 7, 8 and 9 in any order; the user id is not compared.
    bool isEqualTovCard(const vCard& other) const;
    // This card's key i against the other card's key j: both absent = equal, one absent = different.
    bool isEqualSub(const vCard& other, int i, int j) const;
    // The order of contact lists: -1 when this card goes first, 1 when after, 0 when level.
    int compareTo(const vCard& other) const;

    bool supportOfflineMessage() const;
    bool supportOfflineGame() const;

    int32_t contactid() const { return contactid_; }
    void setContactid(int32_t contactId) { contactid_ = contactId; }
    int32_t online() const { return online_; }
    void setOnline(int32_t online) { online_ = online; }
    // Null until setUi or the import fills it.
    std::shared_ptr<fnd::Dictionary> ui() const { return ui_; }
    // Replaces the field set and drops the cached display name; the cached user id and type are
    // read again only where the new dictionary holds keys 100 and -1.
    void setUi(std::shared_ptr<fnd::Dictionary> ui);
    bool found() const { return found_; }
    void setFound(bool found) { found_ = found; }
    // The friend's status line; nullopt until the list has asked the server for it.
    const std::optional<std::string>& miniblog() const { return miniblog_; }
    void setMiniblog(std::optional<std::string> miniblog) { miniblog_ = std::move(miniblog); }
    std::optional<fnd::Date> miniblogTime() const { return miniblogTime_; }
    void setMiniblogTime(std::optional<fnd::Date> time) { miniblogTime_ = time; }
    // Options the server sent for this contact (int key to number).
    ZIntNSObjectMap& options() { return options_; }
    const ZIntNSObjectMap& options() const { return options_; }

private:
    static constexpr int32_t kNotRead = std::numeric_limits<int32_t>::min();

    const fnd::Value* field(int key) const;
    // The display name by the name rule, or nullopt when the card has neither name part.
    std::optional<std::string> displayName() const;

    // What sorting reads, first, next to the state: a sorted list's bisection reads many cards once each.
    mutable int32_t userIdCache_ = kNotRead;
    mutable int32_t typeCache_ = kNotRead;
    // The display name's case-insensitive key (fnd::caseInsensitiveKey), kept like the name, and its first
    // units kept in the card as well: most names end or differ within them, so that comparing two cards
    // seldom reads the text kept apart from them.
    static constexpr size_t kKeyHead = 16;
    mutable std::optional<std::u16string> nameKeyCache_;
    mutable std::array<char16_t, kKeyHead> nameKeyHead_{};
    int32_t contactid_ = 0;
    int32_t online_ = 0;
    std::shared_ptr<fnd::Dictionary> ui_;
    bool found_ = false;
    std::optional<std::string> miniblog_;
    std::optional<fnd::Date> miniblogTime_;
    ZIntNSObjectMap options_;
    mutable std::optional<std::optional<std::string>> nameCache_;
};

} // namespace zelvan
