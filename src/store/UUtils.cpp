#include "UUtils.h"

#include <algorithm>

namespace UUtils {

std::size_t SplitByChar(char separator, std::string_view line, std::span<std::string_view> fields)
{
    std::size_t count = 0;
    std::size_t start = 0;
    while (count < fields.size()) {
        const std::size_t end = line.find(separator, start);
        if (end == std::string_view::npos) {
            // What follows the last separator is a field only when it is not empty.
            if (start < line.size())
                fields[count++] = line.substr(start);
            break;
        }
        fields[count++] = line.substr(start, end - start);
        start = end + 1;
    }
    return count;
}

void SplitByChar(char separator, std::string_view line, std::vector<std::string> &fields)
{
    fields.clear();
    std::size_t start = 0;
    for (std::size_t end; (end = line.find(separator, start)) != std::string_view::npos; start = end + 1)
        fields.emplace_back(line.substr(start, end - start));
    if (start < line.size())
        fields.emplace_back(line.substr(start));
}

std::string_view Trim(std::string_view text)
{
    std::size_t b = 0, e = text.size();
    while (b < e && isBlank(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && isBlank(static_cast<unsigned char>(text[e - 1])))
        --e;
    return text.substr(b, e - b);
}

std::string_view TrimSpacesAndTabs(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string AsciiLowerCase(std::string_view text)
{
    std::string lower(text);
    for (char &c : lower)
        c = AsciiLower(c);
    return lower;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

} // namespace UUtils
