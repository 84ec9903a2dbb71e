// AdwickContact: the "contact" table of a click reply as an organisation entry of the device's address
// book, saved once and, when a picture URL is given, saved again with the fetched picture. Only entries
// this client made (their ids kept in the user defaults) are ever replaced or removed.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ads/adwick/adwick_url_download.h"
#include "platform/foundation/bytes.h"
#include "platform/foundation/value.h"

namespace device {
class AddressBook;
}

namespace zelvan::adwick {

class AdwickContact : public std::enable_shared_from_this<AdwickContact> {
public:
    // The user-defaults key of the record ids of the entries this client saved.
    static constexpr std::string_view kRecordIdsKey = "AdwickContactRecordIDs";

    // From a click reply's contact table ("organization", "phonenums", "emails", "addresses", "links",
    // "note", "image"); values of the wrong kind are left out. `downloads` is what the picture's download
    // carries.
    static std::shared_ptr<AdwickContact> initWithDictionary(const fnd::Value& dictionary,
                                                             AdwickDownloadSettings downloads = {});
    // The first organisation entry of that name, read back; null when there is none.
    static std::shared_ptr<AdwickContact> initWithAddressBookEntryForOrganization(std::string_view name);

    void addToAddressBook();
    bool saveToAddressBook();
    bool removeFromAddressBook();
    // Removes this client's organisation entries of the name; whether the last removal succeeded.
    static bool deleteContact(std::string_view name, device::AddressBook& book);
    void downloadContactImageAndAddToAddressBook();

    const std::string& organization() const { return organization_; }
    const fnd::Value& phoneNumbers() const { return phoneNumbers_; }
    const fnd::Value& emailAddresses() const { return emailAddresses_; }
    const fnd::Value& addresses() const { return addresses_; }
    const fnd::Value& links() const { return links_; }
    const std::string& note() const { return note_; }
    const std::string& imageLocation() const { return imageLocation_; }
    const std::optional<fnd::Bytes>& image() const { return image_; }

private:
    AdwickContact() = default;
    void contactImageDownloadDidSucceed(AdwickURLDownload& download);
    void contactImageDownloadDidFail(AdwickURLDownload& download);

    std::string organization_;
    fnd::Value phoneNumbers_;
    fnd::Value emailAddresses_;
    fnd::Value addresses_;
    fnd::Value links_;
    std::string note_;
    std::string imageLocation_;
    std::optional<fnd::Bytes> image_;
    AdwickDownloadSettings downloads_;
    std::shared_ptr<AdwickURLDownload> download_;
    std::shared_ptr<AdwickContact> selfHold_; // while the picture downloads
};

} // namespace zelvan::adwick
