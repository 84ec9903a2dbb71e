// device::MultiValue: an ordered list of labelled values of one kind (a person's phone numbers,
// e-mail addresses, web pages), each with an identifier that stays with its value while others come
// and go. Reading a person's property gives a copy; writing one back replaces the property.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/object.h"
#include "platform/foundation/value.h"

namespace device {

// Kinds of property values; multi-value kinds carry the 256 bit over their element kind.
enum class PropertyType {
    Invalid = 0,
    String = 1,
    Integer = 2,
    Real = 3,
    DateTime = 4,
    Dictionary = 5,
    MultiString = 257,
    MultiDictionary = 261
};

using MultiValueIdentifier = int32_t;
inline constexpr MultiValueIdentifier kMultiValueInvalidIdentifier = -1;

// The standard labels. Any other label text is kept as it is given.
inline constexpr std::string_view kLabelMobile = "mobile";
inline constexpr std::string_view kLabelMain = "main";
inline constexpr std::string_view kLabelHomeFax = "home fax";
inline constexpr std::string_view kLabelWorkFax = "work fax";
inline constexpr std::string_view kLabelPager = "pager";
inline constexpr std::string_view kLabelOther = "other";
inline constexpr std::string_view kLabelHome = "home";
inline constexpr std::string_view kLabelWork = "work";
inline constexpr std::string_view kLabelHomePage = "home page";

// The keys of an address dictionary (every value a string; any of them may be missing).
inline constexpr std::string_view kAddressStreetKey = "Street";
inline constexpr std::string_view kAddressCityKey = "City";
inline constexpr std::string_view kAddressStateKey = "State";
inline constexpr std::string_view kAddressZIPKey = "ZIP";
inline constexpr std::string_view kAddressCountryKey = "Country";
inline constexpr std::string_view kAddressCountryCodeKey = "CountryCode";

class MultiValue : public fnd::Object {
public:
    struct Entry {
        MultiValueIdentifier identifier = kMultiValueInvalidIdentifier;
        std::string label;
        fnd::Value value;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    // An empty multi-value of `kind`: MultiString (phones, e-mails, web pages) or MultiDictionary (addresses).
    static std::shared_ptr<MultiValue> create(PropertyType kind = PropertyType::MultiString);
    explicit MultiValue(PropertyType kind = PropertyType::MultiString) { s_.kind = kind; }

    std::string className() const override { return "MultiValue"; }

    PropertyType kind() const { return s_.kind; }
    int count() const { return static_cast<int>(s_.entries.size()); }
    // Null / empty / invalid for an index out of range.
    fnd::Value valueAtIndex(int index) const;
    std::string labelAtIndex(int index) const;
    MultiValueIdentifier identifierAtIndex(int index) const;
    // The index of the entry with `identifier`, or -1.
    int indexForIdentifier(MultiValueIdentifier identifier) const;

    // Appends a value with its label and answers its new identifier; a value of the wrong kind (not a
    // string, or for MultiDictionary not a dictionary of strings under string keys) is refused (logged)
    // with kMultiValueInvalidIdentifier. Dictionaries are copied in and out.
    MultiValueIdentifier addValueAndLabel(const fnd::Value& value, std::string label);
    // False (logged) for an index out of range or a value that is not a string.
    bool replaceValueAtIndex(const fnd::Value& value, int index);
    bool replaceLabelAtIndex(std::string label, int index);
    bool removeValueAndLabelAtIndex(int index);

    // The whole state as plain data, for people and the store: the entries in order and the next
    // identifier to give.
    struct State {
        PropertyType kind = PropertyType::MultiString;
        std::vector<Entry> entries;
        MultiValueIdentifier nextIdentifier = 0;
        friend bool operator==(const State&, const State&) = default;
    };
    const State& state() const { return s_; }
    // Rebuilds from stored state; the next identifier never falls to one already used.
    static std::shared_ptr<MultiValue> restore(State state);

private:
    bool accepts(const fnd::Value& value) const;

    State s_;
};

} // namespace device
