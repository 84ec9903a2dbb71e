// Fuzz target: address-book people built from untrusted bytes (names, organisation, job title, note,
// birthday, phones, URLs and e-mails with any labels) must import as contact cards without
// crashing, and a card exported and imported again must give the same field dictionary.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

#include "messaging/model/v_card.h"
#include "platform/device/multi_value.h"
#include "platform/device/person.h"
#include "platform/foundation/log.h"

namespace {

// Reads the input front to back; past the end every read gives zeros and empty texts.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    std::string text() {
        // The length byte is read first: it moves the position the remainder is measured from.
        const size_t wanted = byte();
        const size_t length = std::min(wanted, size_ - pos_);
        std::string out(reinterpret_cast<const char*>(data_ + pos_), length);
        pos_ += length;
        return out;
    }

    // The next sizeof(T) bytes (zeros past the end), little-endian, as a T.
    template <class T>
    T raw() {
        using Bits = std::conditional_t<sizeof(T) == 8, uint64_t, uint32_t>;
        static_assert(sizeof(T) == sizeof(Bits));
        Bits bits = 0;
        for (size_t i = 0; i < sizeof(T); ++i) {
            bits |= static_cast<Bits>(byte()) << (8 * i);
        }
        return std::bit_cast<T>(bits);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

constexpr std::string_view kLabels[] = {
    device::kLabelMobile, device::kLabelMain, device::kLabelHomeFax,  device::kLabelWorkFax,
    device::kLabelOther,  device::kLabelHome, device::kLabelHomePage, ""};

void fillList(Reader& in, device::Person& person, device::Property property) {
    auto list = device::MultiValue::create();
    const int count = in.byte() % 10;
    for (int i = 0; i < count; ++i) {
        const uint8_t choice = in.byte();
        std::string label = choice < std::size(kLabels) ? std::string(kLabels[choice]) : in.text();
        list->addValueAndLabel(in.text(), std::move(label));
    }
    person.setValue(property, list);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    Reader in(data, size);
    auto person = device::Person::create();
    const uint8_t present = in.byte();
    const device::Property strings[] = {device::Property::FirstName, device::Property::LastName,
                                        device::Property::Organization, device::Property::JobTitle,
                                        device::Property::Note};
    for (size_t i = 0; i < std::size(strings); ++i) {
        if ((present >> i) & 1) {
            person->setValue(strings[i], in.text());
        }
    }
    if (present & 0x20) {
        // Either whole seconds with a millisecond fraction, or any double at all.
        const double seconds = (present & 0x40) ? in.raw<double>() : in.raw<int32_t>() + in.byte() * 0.001;
        person->setValue(device::Property::Birthday, fnd::Date(seconds));
    }
    fillList(in, *person, device::Property::Phone);
    fillList(in, *person, device::Property::URL);
    fillList(in, *person, device::Property::Email);

    const auto card = zelvan::vCard::initWithPerson(*person);
    (void)card->getname();
    (void)card->gettels();
    auto exported = device::Person::create();
    card->save(exported);
    const auto again = zelvan::vCard::initWithPerson(*exported);
    if (!(fnd::Value(card->ui()) == fnd::Value(again->ui())) || !card->isEqualTovCard(*again) ||
        card->getname() != again->getname() || card->compareTo(*again) != 0) {
        std::abort();
    }
    return 0;
}
