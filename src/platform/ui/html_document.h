// ui::HtmlDocument: the light reader of a web view's page. It runs libxml2's HTML push parser (no
// network, no error output, size-capped) and keeps what the web view acts on: the title, the base
// href, the script blocks, the body's onload, the links, the frames and the raw source, and hands
// the recovered tree on as the page's live HtmlTree.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/html_tree.h"

namespace ui {

// One <script> element: its inline text, and its src attribute as written (empty when inline).
struct HtmlScript {
    std::string text;
    std::string src;
    bool operator==(const HtmlScript&) const = default;
};

class HtmlDocument {
public:
    // Larger sources are refused.
    static constexpr size_t kMaxSourceBytes = 8 * 1024 * 1024;

    // An empty document (about:blank).
    HtmlDocument() = default;

    // Reads `source`. `encodingName` is the charset the server named ("iso-8859-1"); when empty or
    // unknown, the parser takes the page's own <meta> declaration or its default. Malformed markup
    // is read the way the HTML parser recovers it. nullopt (logged) only for a source over the cap
    // or when libxml2 cannot make a parser.
    static std::optional<HtmlDocument> parse(std::string_view source, std::string_view encodingName = {});

    // The source exactly as given.
    const std::string& source() const { return source_; }
    // The text of the first <title>, with runs of white space collapsed to one space and trimmed.
    const std::string& title() const { return title_; }
    // The href of the first <base> that has one, as written; empty when none.
    const std::string& baseHref() const { return baseHref_; }
    // Every <script> in document order.
    const std::vector<HtmlScript>& scripts() const { return scripts_; }
    // The onload attribute of <body>; empty when absent.
    const std::string& bodyOnload() const { return bodyOnload_; }
    // The href of every <a> that has one, as written, in document order.
    const std::vector<std::string>& links() const { return links_; }
    // The src of every <iframe> that has one, as written, in document order.
    const std::vector<std::string>& frames() const { return frames_; }
    // The live element tree read from the source (scripts change it); copies of the document share
    // it. An empty document has an empty <html> tree.
    const std::shared_ptr<HtmlTree>& tree() const;

private:
    std::string source_;
    std::string title_;
    std::string baseHref_;
    std::vector<HtmlScript> scripts_;
    std::string bodyOnload_;
    std::vector<std::string> links_;
    std::vector<std::string> frames_;
    mutable std::shared_ptr<HtmlTree> tree_;
};

} // namespace ui
