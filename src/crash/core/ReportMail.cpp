#include "ReportMail.h"

#include "TextFile.h"

#include <algorithm>

namespace ReportMail {
namespace {

bool unreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

void appendEncoded(std::string &out, std::string_view text)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (unreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
}

} // namespace

std::string mailtoUrl(std::string_view to, std::string_view subject, std::string_view body, std::size_t maxBody)
{
    std::string text;
    for (const std::string_view line : TextFile::splitLines(body)) {
        if (text.size() + line.size() + 2 > maxBody) {
            text += line.substr(0, maxBody - std::min(maxBody, text.size()));
            break;
        }
        text += line;
        text += "\r\n";
    }
    std::string url = "mailto:";
    url += to;
    url += "?subject=";
    appendEncoded(url, subject);
    url += "&body=";
    appendEncoded(url, text);
    return url;
}

} // namespace ReportMail
