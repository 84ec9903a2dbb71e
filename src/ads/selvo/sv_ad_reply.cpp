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

fnd::Result<void> SVAd::logErrorMessagesForRootNode(const SelvoContext* context, const XmlNode_& root) {
    auto statuses = root.nodesForXPath("/svads/status");
    if (!statuses) {
        SVLogError(context, "Error parsing server status messages: %@", statuses.error().description());
        return {};
    }
    if (statuses->size() != 1) {
        SVLogError(context, "Error invalid number of status nodes.");
        return {};
    }
    auto status = std::dynamic_pointer_cast<XmlElement_>(statuses->front());
    if (!status) {
        SVLogError(context, "Error unable to parse status node.");
        return {};
    }
    auto codeNode = status->attributeForName("code");
    if (!codeNode) {
        SVLogError(context, "Error parsing status code");
        return {};
    }
    auto statusWord = codeNode->stringValue();
    if (!statusWord) {
        SVLogError(context, "Error parsing status value");
        return {};
    }

    fnd::Result<void> result;
    for (const auto& node : status->nodesForXPath("messages/message").valueOr(XmlNode_::Nodes())) {
        auto message = std::dynamic_pointer_cast<XmlElement_>(node);
        if (!message) {
            continue;
        }
        auto codeAttribute = message->attributeForName("code");
        auto code = codeAttribute ? codeAttribute->stringValue() : std::nullopt;
        if (*statusWord == "success" && code && *code == "2000") {
            return {};
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

fnd::Result<std::shared_ptr<SVAd>> SVAd::adForXMLData(const SVReplyEnv& env, const fnd::Bytes& data) {
    if (!reasonableXML(env.context, data)) {
        return std::shared_ptr<SVAd>();
    }
    auto document = XmlDocument_::initWithData(data);
    if (!document) {
        SVLogError(env.context, "Error parsing xml document from returned data: %@",
                   fnd::logPreview(document.error().description()));
        return std::shared_ptr<SVAd>();
    }
    SVLog(env.context, "Single XML: %@", fnd::logPreview(asText(data)));
    auto root = document.value()->rootElement();
    if (!root) {
        return std::shared_ptr<SVAd>();
    }
    TRY(logErrorMessagesForRootNode(env.context, *root));
    auto ads = root->nodesForXPath("/svads/ads/ad").valueOr(XmlNode_::Nodes());
    auto first = ads.empty() ? nullptr : std::dynamic_pointer_cast<XmlElement_>(ads.front());
    if (!first) {
        return std::shared_ptr<SVAd>();
    }
    return adForXMLAdElement(env, *first);
}

fnd::Result<std::optional<SVAd::Ads>> SVAd::adsForXMLData(const SVReplyEnv& env, const fnd::Bytes& data) {
    if (!reasonableXML(env.context, data)) {
        return std::optional<Ads>();
    }
    auto document = XmlDocument_::initWithData(data);
    if (!document) {
        SVLogError(env.context, "Error: Unable to create XML document from data.");
        return std::optional<Ads>();
    }
    SVLog(env.context, "Batch XML: %@", fnd::logPreview(asText(data)));
    auto root = document.value()->rootElement();
    if (!root) {
        SVLogError(env.context, "Error: Unable to located root element in XML document.");
        return std::optional<Ads>();
    }
    TRY(logErrorMessagesForRootNode(env.context, *root));
    auto batches = root->nodesForXPath("/svads/ads").valueOr(XmlNode_::Nodes());
    if (batches.empty()) {
        SVLogError(env.context, "Error: Unable to located batch ad elements in XML document.");
        return std::optional<Ads>();
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
    return std::optional<Ads>(std::move(result));
}

} // namespace zelvan::selvo
