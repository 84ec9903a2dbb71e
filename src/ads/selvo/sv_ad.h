// SVAd: one Selvo ad as the client knows it, and the parser that makes such records from the ad server's
// XML reply (one ad for a single request; ads with their batch id and expiry for a batch request). The
// parser reads the reply through the XML document model, turns the server's status block into an error,
// fetches each image ad's picture through the ad cache and logs through SVLog and SVLogError.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/bytes.h"
#include "platform/foundation/date.h"
#include "platform/foundation/error.h"

namespace gfx {
class Image;
}

namespace zelvan::selvo {

class SelvoContext;
class SVAdCache;
class XmlElement_;
class XmlNode_;

// What parsing needs: the context it logs through (may be null: then only error lines are written) and
// the cache that gives ids and pictures (required).
struct SVReplyEnv {
    const SelvoContext* context = nullptr;
    SVAdCache* cache = nullptr;
};

// The XML declaration every reply must carry.
inline constexpr std::string_view kSVXMLDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
// The error domain of server-reported errors.
inline constexpr std::string_view kSVErrorDomain = "SelvoMobileLib";

class SVAd {
public:
    using Ads = std::vector<std::shared_ptr<SVAd>>;

    // Local id ("" until set; the parser sets a fresh one from the cache).
    const std::string& dbid() const { return dbid_; }
    void setDbid(std::string v) { dbid_ = std::move(v); }
    // Display text: the action text of image ads, the body text of text ads.
    const std::string& text() const { return text_; }
    void setText(std::string v) { text_ = std::move(v); }
    const std::string& headline() const { return headline_; }
    void setHeadline(std::string v) { headline_ = std::move(v); }
    // Click-through URL.
    const std::string& url() const { return url_; }
    void setUrl(std::string v) { url_ = std::move(v); }
    const std::shared_ptr<gfx::Image>& image() const { return image_; }
    void setImage(std::shared_ptr<gfx::Image> v) { image_ = std::move(v); }
    float imageHeight() const { return imageHeight_; }
    void setImageHeight(float v) { imageHeight_ = v; }
    float imageWidth() const { return imageWidth_; }
    void setImageWidth(float v) { imageWidth_ = v; }
    const std::string& adID() const { return adID_; }
    void setAdID(std::string v) { adID_ = std::move(v); }
    int type() const { return type_; }
    void setType(int v) { type_ = v; }
    int subtype() const { return subtype_; }
    void setSubtype(int v) { subtype_ = v; }
    // Expiry of the batch the ad came in; none for single ads.
    const std::optional<fnd::Date>& expireDate() const { return expireDate_; }
    void setExpireDate(std::optional<fnd::Date> v) { expireDate_ = v; }
    unsigned impressionsReserved() const { return impressionsReserved_; }
    void setImpressionsReserved(unsigned v) { impressionsReserved_ = v; }
    unsigned impressionsServed() const { return impressionsServed_; }
    void setImpressionsServed(unsigned v) { impressionsServed_ = v; }
    // "" for single ads.
    const std::string& batchID() const { return batchID_; }
    void setBatchID(std::string v) { batchID_ = std::move(v); }
    const std::string& imageUUID() const { return imageUUID_; }
    void setImageUUID(std::string v) { imageUUID_ = std::move(v); }
    // Image or data URL.
    const std::string& dataURL() const { return dataURL_; }
    void setDataURL(std::string v) { dataURL_ = std::move(v); }
    // Tracking-pixel URLs.
    const std::vector<std::string>& tracking() const { return tracking_; }
    void setTracking(std::vector<std::string> v) { tracking_ = std::move(v); }

    // --- Replies ---
    // One ad from a single-ad reply, or null (a reply that is not one, logged); fails with the error the
    // server reported.
    static fnd::Result<std::shared_ptr<SVAd>> adForXMLData(const SVReplyEnv& env, const fnd::Bytes& data);
    // The ads of a batch reply (possibly none), or none at all (a reply that is not one, logged); fails
    // with the error the server reported.
    static fnd::Result<std::optional<Ads>> adsForXMLData(const SVReplyEnv& env, const fnd::Bytes& data);
    // One ad from one `ad` element: a record with whatever was found.
    static std::shared_ptr<SVAd> adForXMLAdElement(const SVReplyEnv& env, const XmlElement_& element);
    // Fails with the error the reply's status block describes (logged), if any.
    static fnd::Result<void> logErrorMessagesForRootNode(const SelvoContext* context, const XmlNode_& root);
    static fnd::Error errorWithCode(int64_t code, std::string_view message);

    // --- Per-field readers of an `ad` element ("" / 0 / empty when nothing is found) ---
    static std::string idFromAdElement(const XmlElement_& element);
    static std::string urlFromAdElement(const XmlElement_& element);
    static unsigned impressionsReservedFromAdElement(const XmlElement_& element);
    static std::string typeFromAdElement(const XmlElement_& element);
    static std::string bodyTextFromAdElement(const XmlElement_& element);
    static std::string headlineFromAdElement(const XmlElement_& element);
    static std::string actionTextFromAdElement(const XmlElement_& element, int subtype);
    static std::string dataURLFromAdElement(const SelvoContext* context, const XmlElement_& element, int subtype);
    // `dimension` 0 is the width, 1 the height; the last non-empty value wins.
    static float bannerDimensionFromAdElement(const SelvoContext* context, const XmlElement_& element, int dimension,
                                              int subtype);
    static std::vector<std::string> trackingPixelsFromAdElement(const SelvoContext* context, const XmlElement_& element,
                                                                int subtype);

private:
    std::string dbid_;
    std::string text_;
    std::string headline_;
    std::string url_;
    std::shared_ptr<gfx::Image> image_;
    float imageHeight_ = 0;
    float imageWidth_ = 0;
    std::string adID_;
    int type_ = 0;
    int subtype_ = 0;
    std::optional<fnd::Date> expireDate_;
    unsigned impressionsReserved_ = 0;
    unsigned impressionsServed_ = 0;
    std::string batchID_;
    std::string imageUUID_;
    std::string dataURL_;
    std::vector<std::string> tracking_;
};

// The batch element's expiry ("yyyy-MM-dd HH:mm z", en_US), or none.
std::optional<fnd::Date> SVExirationDateFromBatchElement(const XmlElement_& batch);
// The reply sanity test: the bytes are UTF-8 holding the XML declaration; failures are logged.
bool reasonableXML(const SelvoContext* context, const fnd::Bytes& data);

} // namespace zelvan::selvo
