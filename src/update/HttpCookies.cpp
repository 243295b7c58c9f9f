#include "HttpCookies.h"

#include "UUtils.h"

#include <algorithm>

void THttpCookies::store(std::string_view host, std::string_view setCookie)
{
    const std::size_t semicolon = setCookie.find(';');
    const std::string_view pair = UUtils::TrimSpacesAndTabs(setCookie.substr(0, semicolon));
    const std::size_t eq = pair.find('=');
    if (eq == std::string_view::npos || UUtils::TrimSpacesAndTabs(pair.substr(0, eq)).empty())
        return;
    const std::string name(UUtils::TrimSpacesAndTabs(pair.substr(0, eq)));
    const std::string value(UUtils::TrimSpacesAndTabs(pair.substr(eq + 1)));

    bool expired = false;
    std::string_view attributes =
        semicolon == std::string_view::npos ? std::string_view() : setCookie.substr(semicolon + 1);
    while (!attributes.empty()) {
        const std::size_t next = attributes.find(';');
        const std::string attribute =
            UUtils::AsciiLowerCase(UUtils::TrimSpacesAndTabs(attributes.substr(0, next)));
        if (attribute.rfind("max-age=", 0) == 0) {
            const std::string_view age = UUtils::TrimSpacesAndTabs(std::string_view(attribute).substr(8));
            expired = !age.empty() && (age == "0" || age.front() == '-');
        }
        attributes = next == std::string_view::npos ? std::string_view() : attributes.substr(next + 1);
    }

    auto &cookies = m_byHost[UUtils::AsciiLowerCase(host)];
    const auto same =
        std::find_if(cookies.begin(), cookies.end(), [&](const auto &c) { return c.first == name; });
    if (expired) {
        if (same != cookies.end())
            cookies.erase(same);
    } else if (same != cookies.end()) {
        same->second = value;
    } else {
        cookies.emplace_back(name, value);
    }
}

std::string THttpCookies::headerFor(std::string_view host) const
{
    const auto found = m_byHost.find(UUtils::AsciiLowerCase(host));
    if (found == m_byHost.end())
        return {};
    std::string header;
    for (const auto &[name, value] : found->second) {
        if (!header.empty())
            header += "; ";
        header += name + "=" + value;
    }
    return header;
}
