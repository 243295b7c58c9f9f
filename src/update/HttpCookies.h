#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The cookies servers set during one run, kept in memory only and sent back
// to the host that set them.
class THttpCookies {
public:
    // Takes one "Set-Cookie" or "Set-Cookie2" value from host. A cookie of the
    // same name replaces the earlier one; Max-Age=0 removes it.
    void store(std::string_view host, std::string_view setCookie);

    // The "Cookie" header value for host ("a=1; b=2"), empty when it set none.
    std::string headerFor(std::string_view host) const;

private:
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> m_byHost;
};
