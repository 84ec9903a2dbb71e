// SVAd's reading of whole replies: the sanity test, the server's status block, single and batch replies.
#include "ads/selvo/selvo_context.h"
#include "ads/selvo/sv_ad.h"
#include "ads/selvo/sv_log.h"
#include "ads/selvo/xml/xml_tree.h"
#include "platform/foundation/encodings.h"
#include "platform/foundation/log_preview.h"
#include "platform/foundation/scalar.h"

namespace zelvan::selvo {
namespace {

std::string_view asText(const fnd::Bytes& data) {
    return {reinterpret_cast<const char*>(data.data()), data.size()};
}

} // namespace

fnd::Error SVAd::errorWithCode(int64_t code, std::string_view message) {
    return fnd::Error(std::string(kSVErrorDomain), code, message);
}

bool reasonableXML(const SelvoContext* context, const fnd::Bytes& data) {
    const std::string_view text = asText(data);
    if (!fnd::isValidUtf8(text)) {
        SVLogError(context, "Error: Unable to create xml from NULL data.");
        return false;
    }
    if (text.find(kSVXMLDeclaration) == std::string_view::npos) {
        SVLogError(context, "Error: Invalid XML response, bad header! [%@]", fnd::logPreview(text));
        return false;
    }
    return true;
}

std::optional<fnd::Error> SVAd::logErrorMessagesForRootNode(const SelvoContext* context, const XmlNode_& root) {
    std::optional<fnd::Error> queryError;
    auto statuses = root.nodesForXPath("/svads/status", &queryError);
    if (queryError) {
        SVLogError(context, "Error parsing server status messages: %@", queryError->description());
        return std::nullopt;
    }
    if (statuses.size() != 1) {
        SVLogError(context, "Error invalid number of status nodes.");
        return std::nullopt;
    }
    auto status = std::dynamic_pointer_cast<XmlElement_>(statuses.front());
    if (!status) {
        SVLogError(context, "Error unable to parse status node.");
        return std::nullopt;
    }
    auto codeNode = status->attributeForName("code");
    if (!codeNode) {
        SVLogError(context, "Error parsing status code");
        return std::nullopt;
    }
    auto statusWord = codeNode->stringValue();
    if (!statusWord) {
        SVLogError(context, "Error parsing status value");
        return std::nullopt;
    }

    std::optional<fnd::Error> result;
    for (const auto& node : status->nodesForXPath("messages/message")) {
        auto message = std::dynamic_pointer_cast<XmlElement_>(node);
        if (!message) {
            continue;
        }
        auto codeAttribute = message->attributeForName("code");
        auto code = codeAttribute ? codeAttribute->stringValue() : std::nullopt;
        if (*statusWord == "success" && code && *code == "2000") {
            return std::nullopt;
        }
        std::string text = "ERROR";
        if (code) {
            text += "[" + *code + "]";
        }
        auto descriptionAttribute = message->attributeForName("description");
        if (auto description = descriptionAttribute ? descriptionAttribute->stringValue() : std::nullopt) {
            text += ": " + *description;
        }
        text += " -- " + message->stringValue().value_or("");
        SVLogError(context, "%@", fnd::logPreview(text));
        result = errorWithCode(code ? fnd::intValue(*code) : 0, text);
    }
    return result;
}

std::shared_ptr<SVAd> SVAd::adForXMLData(const SVReplyEnv& env, const fnd::Bytes& data,
                                         std::optional<fnd::Error>* error) {
    if (!reasonableXML(env.context, data)) {
        return nullptr;
    }
    auto document = XmlDocument_::initWithData(data);
    if (!document) {
        SVLogError(env.context, "Error parsing xml document from returned data: %@",
                   fnd::logPreview(document.error().description()));
        return nullptr;
    }
    SVLog(env.context, "Single XML: %@", fnd::logPreview(asText(data)));
    auto root = document.value()->rootElement();
    if (!root) {
        return nullptr;
    }
    if (auto status = logErrorMessagesForRootNode(env.context, *root)) {
        if (error != nullptr) {
            *error = std::move(status);
        }
        return nullptr;
    }
    auto ads = root->nodesForXPath("/svads/ads/ad");
    auto first = ads.empty() ? nullptr : std::dynamic_pointer_cast<XmlElement_>(ads.front());
    if (!first) {
        return nullptr;
    }
    std::optional<fnd::Error> adError;
    auto ad = adForXMLAdElement(env, *first, &adError);
    if (adError) {
        SVLogError(env.context, "Error parsing ad from xml: %@", fnd::logPreview(adError->description()));
        if (error != nullptr) {
            *error = std::move(adError);
        }
    }
    return ad;
}

std::optional<SVAd::Ads> SVAd::adsForXMLData(const SVReplyEnv& env, const fnd::Bytes& data,
                                             std::optional<fnd::Error>* error) {
    if (!reasonableXML(env.context, data)) {
        return std::nullopt;
    }
    auto document = XmlDocument_::initWithData(data);
    if (!document) {
        SVLogError(env.context, "Error: Unable to create XML document from data.");
        return std::nullopt;
    }
    SVLog(env.context, "Batch XML: %@", fnd::logPreview(asText(data)));
    auto root = document.value()->rootElement();
    if (!root) {
        SVLogError(env.context, "Error: Unable to located root element in XML document.");
        return std::nullopt;
    }
    if (auto status = logErrorMessagesForRootNode(env.context, *root)) {
        if (error != nullptr) {
            *error = std::move(status);
        }
        return std::nullopt;
    }
    auto batches = root->nodesForXPath("/svads/ads");
    if (batches.empty()) {
        SVLogError(env.context, "Error: Unable to located batch ad elements in XML document.");
        return std::nullopt;
    }
    Ads result;
    for (const auto& node : batches) {
        auto batch = std::dynamic_pointer_cast<XmlElement_>(node);
        if (!batch) {
            continue;
        }
        const auto expiry = SVExirationDateFromBatchElement(*batch);
        auto idNode = batch->attributeForName("batchid");
        const std::string batchID = idNode ? idNode->stringValue().value_or("") : "";
        for (const auto& child : batch->elementsForName("ad")) {
            auto adElement = std::dynamic_pointer_cast<XmlElement_>(child);
            if (!adElement) {
                continue;
            }
            auto ad = adForXMLAdElement(env, *adElement);
            ad->setExpireDate(expiry);
            ad->setBatchID(batchID);
            result.push_back(std::move(ad));
        }
    }
    return result;
}

} // namespace zelvan::selvo
