#include "HttpUrl.h"

#include "UUtils.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace {

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && UUtils::AsciiLowerCase(s.substr(0, prefix.size())) == prefix;
}

// Removes "." and ".." segments from an absolute path; the query stays as it is.
std::string removeDotSegments(std::string_view target)
{
    const std::size_t q = target.find_first_of("?#");
    std::string_view path = target.substr(0, q);
    const std::string_view rest = q == std::string_view::npos ? std::string_view() : target.substr(q);
    std::vector<std::string_view> out;
    bool trailingSlash = false;
    std::size_t pos = 1; // after the leading "/"
    while (pos <= path.size()) {
        const std::size_t end = std::min(path.find('/', pos), path.size());
        const std::string_view seg = path.substr(pos, end - pos);
        const bool last = end == path.size();
        if (seg == ".") {
            trailingSlash = last;
        } else if (seg == "..") {
            if (!out.empty())
                out.pop_back();
            trailingSlash = last;
        } else {
            out.push_back(seg);
            trailingSlash = false;
        }
        pos = end + 1;
    }
    std::string result;
    for (std::string_view seg : out) {
        result += '/';
        result += seg;
    }
    if (trailingSlash || result.empty())
        result += '/';
    result += rest;
    return result;
}

} // namespace

std::string HttpUrl::hostHeader() const
{
    std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    if (port != defaultPort())
        h += ":" + std::to_string(port);
    return h;
}

std::string HttpUrl::text() const
{
    return scheme + "://" + hostHeader() + target;
}

std::optional<HttpUrl> ParseHttpUrl(std::string_view text)
{
    HttpUrl url;
    if (startsWithNoCase(text, "http://"))
        url.scheme = "http";
    else if (startsWithNoCase(text, "https://"))
        url.scheme = "https";
    else
        return std::nullopt;
    text.remove_prefix(url.scheme.size() + 3);

    const std::size_t end = text.find_first_of("/?#");
    std::string_view authority = text.substr(0, end);
    std::string_view target = end == std::string_view::npos ? std::string_view() : text.substr(end);
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1); // no credentials are ever sent

    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(1, close - 1);
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                return std::nullopt;
            port = after.substr(1);
        }
    } else if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty())
        return std::nullopt;
    url.host = std::string(host);
    url.port = url.defaultPort();
    if (!port.empty()) {
        unsigned value = 0;
        const auto [p, ec] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (ec != std::errc() || p != port.data() + port.size() || value == 0 || value > 65535)
            return std::nullopt;
        url.port = static_cast<unsigned short>(value);
    }
    // The fragment belongs to the page, never to the request.
    target = target.substr(0, target.find('#'));
    if (target.empty() || target.front() != '/')
        url.target = "/" + std::string(target);
    else
        url.target = std::string(target);
    url.target = removeDotSegments(url.target);
    return url;
}

std::optional<HttpUrl> ResolveHttpUrl(const HttpUrl &base, std::string_view reference)
{
    reference = UUtils::TrimSpacesAndTabs(reference);
    if (startsWithNoCase(reference, "http://") || startsWithNoCase(reference, "https://"))
        return ParseHttpUrl(reference);
    // Any other scheme ("ftp:", "mailto:") is not an address this client can follow.
    const std::size_t colon = reference.find(':');
    const std::size_t firstSep = reference.find_first_of("/?#");
    if (colon != std::string_view::npos && (firstSep == std::string_view::npos || colon < firstSep))
        return std::nullopt;
    if (reference.substr(0, 2) == "//")
        return ParseHttpUrl(base.scheme + ":" + std::string(reference));

    reference = reference.substr(0, reference.find('#'));
    HttpUrl url = base;
    if (reference.empty())
        return url;
    if (reference.front() == '/') {
        url.target = removeDotSegments(reference);
    } else if (reference.front() == '?') {
        url.target = base.target.substr(0, base.target.find('?')) + std::string(reference);
    } else {
        const std::string basePath = base.target.substr(0, base.target.find('?'));
        url.target = removeDotSegments(basePath.substr(0, basePath.rfind('/') + 1) + std::string(reference));
    }
    return url;
}
