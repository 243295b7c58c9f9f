#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace Markup {

// The position of the first byte c at or after `from`, or npos. memchr reads
// long stretches fast but costs a call each time; where the byte comes thick
// and fast (a text of nothing but at signs or colons) that call would cost more
// than the byte, so the first few bytes are looked at one by one.
inline std::size_t findByte(std::string_view t, std::size_t from, char c)
{
    const std::size_t n = t.size();
    for (const std::size_t near = std::min(n, from + 16); from < near; ++from)
        if (t[from] == c)
            return from;
    if (from >= n)
        return std::string_view::npos;
    const void *hit = std::memchr(t.data() + from, c, n - from);
    return hit ? static_cast<std::size_t>(static_cast<const char *>(hit) - t.data()) : std::string_view::npos;
}

} // namespace Markup
