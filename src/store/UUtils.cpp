#include "UUtils.h"

namespace UUtils {

void SplitByChar(char separator, std::string_view line, std::vector<std::string> &fields)
{
    fields.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == separator) {
            fields.emplace_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
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

} // namespace UUtils
