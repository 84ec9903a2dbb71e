// URLs: parsing (through libcurl's URL API, plus a small split for URLs without an authority such as
// "tel:123"), RFC 3986 reference resolution, component accessors and query strings. A parsed Url
// keeps the exact text it was parsed from, so URL strings travel through the product unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fnd {

// One name/value pair of a query string.
struct QueryItem {
    std::string name;
    std::string value;
    bool operator==(const QueryItem&) const = default;
};

class Url {
public:
    // Parses an absolute URL. Refused (nullopt, with a log line):
    //  - empty text, and text holding a space, a control character, DEL or any non-ASCII byte
    //    (escape them first, e.g. with escapeLegacy);
    //  - text without a scheme ("example.com/x", "/x", "//host/x");
    //  - http and https URLs without a host ("http:/x", "http://", "http:g");
    //  - whatever libcurl rejects in an authority: a bad port (> 65535 or not a number), a host with
    //    characters a host cannot hold, a file URL naming a host other than localhost.
    // Forms:
    //  - "scheme://authority/path?query#fragment" is split by libcurl; any scheme parses, custom
    //    ones ("zelvan://openchat?x=1", "zelvan_cache_file://...") included;
    //  - "scheme:rest" where rest does not start with "//", and "scheme://" with an empty authority
    //    ("tel:123", "mailto:a@b.c", "zelvan:///x"), are split here: no host, the path runs up to the
    //    first '?' or '#', the query up to the first '#', the fragment to the end;
    //  - file URLs ("file:///p", "file:/p", "file://localhost/p") go to libcurl.
    // absoluteString() is the text exactly as given.
    static std::optional<Url> parse(std::string_view text);

    // "file://" + the absolute path with %, space, '?', '#', controls and non-ASCII bytes escaped. A
    // relative path is taken relative to the current working directory.
    static Url fileUrl(std::string_view path);

    // Resolves a reference against a base as RFC 3986 section 5.2 does: absolute references parse
    // on their own, network-path references ("//host/x") take the base's scheme, an empty reference
    // gives the base without its fragment, "#f" replaces the fragment, and paths and queries are
    // resolved by libcurl against the base (dot segments removed). The result's text is the
    // resolved URL as libcurl writes it, with the scheme in lower case. nullopt when the reference
    // holds refused characters, the result does not parse, or the reference is a relative path or
    // query and the base has no authority ("tel:123" + "x").
    static std::optional<Url> resolve(const Url& base, std::string_view reference);

    // The scheme in lower case ("http", "zelvan_cache_file").
    const std::string& scheme() const { return scheme_; }
    // Host as written (case kept; an IPv6 literal keeps its brackets); empty when there is none.
    const std::string& host() const { return host_; }
    // The port written in the URL; nullopt when none is written (no default ports).
    std::optional<int> port() const { return port_; }
    // User and password of the authority, as written (percent-escapes kept); empty when absent.
    const std::string& user() const { return user_; }
    const std::string& password() const { return password_; }
    // The path as written, percent-escapes and dot segments kept; empty when the URL has none
    // ("http://a.com", "zelvan://openchat?x=1"). For URLs without an authority, the opaque part
    // ("123" of "tel:123").
    const std::string& path() const { return path_; }
    // Query without '?', fragment without '#', as written; empty when absent (or empty).
    const std::string& query() const { return query_; }
    const std::string& fragment() const { return fragment_; }

    // The last component of path() (still escaped): "/a/b.png" -> "b.png", "/a/" -> "a", "" -> "".
    std::string lastPathComponent() const;
    // The extension of lastPathComponent(): "b.tar.gz" -> "gz"; none -> "".
    std::string pathExtension() const;

    // The text the Url was parsed from.
    const std::string& absoluteString() const { return text_; }

    bool isFileUrl() const { return scheme_ == "file"; }
    // An http or https URL.
    bool isHttpUrl() const { return scheme_ == "http" || scheme_ == "https"; }
    // The percent-unescaped path of a file URL; empty for other URLs, and when the path does not
    // unescape to well-formed UTF-8 without NUL bytes.
    std::string filePath() const;

    // The query split on '&' and then on the first '='; names and values unescaped leniently (a bad
    // '%' stays literal; '+' stays '+'). A piece without '=' has an empty value; empty pieces are
    // skipped. In order of appearance.
    std::vector<QueryItem> queryItems() const;
    // "n1=v1&n2=v2" with every name and value escaped by escapeUnreserved; "" for no items.
    static std::string queryString(const std::vector<QueryItem>& items);

    // Equal when the absolute strings are equal.
    bool operator==(const Url& other) const { return text_ == other.text_; }

private:
    Url() = default;
    // Whether the Url was split by libcurl (it has an authority that libcurl can hold as a base).
    bool hasAuthority_ = false;

    std::string text_;
    std::string scheme_;
    std::string user_;
    std::string password_;
    std::string host_;
    std::optional<int> port_;
    std::string path_;
    std::string query_;
    std::string fragment_;
};

} // namespace fnd
