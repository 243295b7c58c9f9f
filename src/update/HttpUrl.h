#pragma once

#include <optional>
#include <string>
#include <string_view>

// An absolute http or https address, split into what a request needs.
struct HttpUrl {
    std::string scheme; // "http" or "https", in small letters
    std::string host;   // as written; an IPv6 literal keeps no brackets
    unsigned short port = 0;
    std::string target; // path and query, at least "/"

    bool secure() const { return scheme == "https"; }
    unsigned short defaultPort() const { return secure() ? 443 : 80; }
    // The Host header's value: the host, and ":port" when the port is not the
    // scheme's own.
    std::string hostHeader() const;
    std::string text() const;
};

// Parses an absolute address; nullopt for anything else (another scheme, no
// host, a port that is not a number from 1 to 65535).
std::optional<HttpUrl> ParseHttpUrl(std::string_view text);

// The address reference points to, taken relative to base the way a browser
// takes a link: absolute, scheme-relative ("//host/p"), absolute path, or a
// path relative to base's folder, with "." and ".." segments resolved.
std::optional<HttpUrl> ResolveHttpUrl(const HttpUrl &base, std::string_view reference);
