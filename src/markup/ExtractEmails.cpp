#include "ExtractEmails.h"

#include "EmailScan.h"
#include "FindByte.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace UUtils {

using namespace EmailScan;

bool isEmailByte(char c)
{
    return c == '@' || isNameByte(c);
}

std::optional<EmailMatch> EmailAt(std::string_view text, std::size_t from, std::size_t at)
{
    return emailAt(text, from, at);
}

std::size_t NextPossibleAt(std::string_view text, std::size_t at)
{
    const std::size_t dot = Markup::findByte(text, at + 1, '.');
    if (dot == std::string_view::npos)
        return std::string_view::npos;
    const std::size_t lastAt = Markup::findLastByte(text, at + 1, dot, '@');
    return lastAt != std::string_view::npos ? lastAt : dot + 1;
}

std::optional<EmailMatch> FindEmail(std::string_view text, std::size_t from)
{
    // The name of an address holds no at sign, so the first at sign with a name
    // in front and a domain behind it gives the leftmost address. At signs that
    // cannot start one are passed over: text with at signs thick and dots rare
    // is thus read at the speed of memchr.
    for (std::size_t pos = from; pos < text.size();) {
        const std::size_t at = Markup::findByte(text, pos, '@');
        if (at == std::string_view::npos)
            break;
        if (const auto m = EmailAt(text, from, at))
            return m;
        pos = NextPossibleAt(text, at);
    }
    return std::nullopt;
}

std::vector<EmailMatch> FindEmails(std::string_view text)
{
    std::vector<EmailMatch> matches;
    std::size_t from = 0;
    while (auto m = FindEmail(text, from)) {
        matches.push_back(*m);
        from = m->offset + m->length;
    }
    return matches;
}

std::string ExtractEmails(std::string_view text)
{
    std::string out;
    for (const EmailMatch &m : FindEmails(text)) {
        out.append(text.substr(m.offset, m.length));
        out.append("\r\n");
    }
    return out;
}

} // namespace UUtils
