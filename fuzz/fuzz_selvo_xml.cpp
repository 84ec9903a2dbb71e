// Fuzz target: the Selvo XML model on untrusted ad replies. Bytes become a document or a parse error; the
// ad parser's fixed paths are asked, every hit's text and attributes read (entity text within its bound)
// and the root written out, without failing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ads/selvo/xml/xml_tree.h"
#include "platform/foundation/log.h"
#include "platform/foundation/parse_error.h"

namespace {

using zelvan::selvo::XmlDocument_;
using zelvan::selvo::XmlElement_;
using zelvan::selvo::XmlNode_;

const char* const kAdPaths[] = {"body/text/bodyText", "body/text/headline", "body/banner/image/url", "messages/message",
                                "tracking/url"};
const char* const kAttributes[] = {"code", "expiry", "id"};

void readNode(const std::shared_ptr<XmlNode_>& node) {
    // Text from entity references is bounded; the node's own text is bounded by the input.
    if (auto text = node->stringValue(); text && text->size() > XmlNode_::kEntityExpansionLimit + (8u << 20)) {
        std::abort();
    }
    if (auto element = std::dynamic_pointer_cast<XmlElement_>(node)) {
        for (const char* name : kAttributes) {
            if (auto attribute = element->attributeForName(name)) {
                (void)attribute->stringValue();
            }
        }
        for (const auto& attribute : element->attributes()) {
            (void)attribute->stringValue();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (fnd::setLogToStderr(false), true);
    (void)quiet;
    auto parsed = XmlDocument_::initWithData(fnd::Bytes(data, data + size));
    if (!parsed) {
        if (parsed.error().domain() != fnd::kParseErrorDomain) {
            std::abort();
        }
        return 0;
    }
    auto document = parsed.value();
    auto root = document->rootElement();
    if (!root) {
        return 0;
    }
    // The paths are fixed and valid: evaluating them never fails.
    const auto statuses = root->nodesForXPath("/svads/status").value();
    for (const auto& status : statuses) {
        readNode(status);
    }
    const auto ads = root->nodesForXPath("/svads/ads/ad").value();
    for (const auto& ad : ads) {
        readNode(ad);
        for (const char* path : kAdPaths) {
            const auto hits = ad->nodesForXPath(path).value();
            for (const auto& hit : hits) {
                readNode(hit);
            }
        }
    }
    (void)root->XMLString();
    return 0;
}
