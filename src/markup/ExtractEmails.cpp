#include "ExtractEmails.h"

#include "FindByte.h"

#include <array>

namespace UUtils {

namespace {

// Byte classes of the address pattern: a label byte may stand anywhere in an
// address; a dot may stand in the name, and in the domain only between labels.
enum : unsigned char { Label = 1, Dot = 2 };

constexpr std::array<unsigned char, 256> makeClasses()
{
    std::array<unsigned char, 256> c{};
    for (int b = 'a'; b <= 'z'; ++b)
        c[b] = Label;
    for (int b = 'A'; b <= 'Z'; ++b)
        c[b] = Label;
    for (int b = '0'; b <= '9'; ++b)
        c[b] = Label;
    c['_'] = Label;
    c['-'] = Label;
    c['.'] = Dot;
    return c;
}

constexpr std::array<unsigned char, 256> classes = makeClasses();

inline bool isLabel(char c)
{
    return classes[static_cast<unsigned char>(c)] & Label;
}
inline bool isNameByte(char c)
{
    return classes[static_cast<unsigned char>(c)] != 0;
}

// The end of the longest domain that starts right after the at sign at `at`,
// or 0 when none does: one label, then one or more groups of a dot and a label.
// The scan never passes another at sign, which belongs to no class.
std::size_t domainEnd(std::string_view t, std::size_t at)
{
    const std::size_t n = t.size();
    std::size_t i = at + 1;
    if (i >= n || !isLabel(t[i]))
        return 0;
    while (i < n && isLabel(t[i]))
        ++i;
    std::size_t end = 0;
    while (i + 1 < n && t[i] == '.' && isLabel(t[i + 1])) {
        i += 2;
        while (i < n && isLabel(t[i]))
            ++i;
        end = i;
    }
    return end;
}

} // namespace

std::optional<EmailMatch> FindEmail(std::string_view text, std::size_t from)
{
    for (std::size_t pos = from; pos < text.size();) {
        const std::size_t at = Markup::findByte(text, pos, '@');
        if (at == std::string_view::npos)
            break;
        pos = at + 1;
        // The name runs back over name bytes to the previous at sign (which is
        // no name byte) or to `from`, whichever comes first. The name of an
        // address can hold no at sign, so the first at sign with a name in front
        // and a domain behind it gives the leftmost address.
        if (at == from || !isNameByte(text[at - 1]))
            continue;
        const std::size_t end = domainEnd(text, at);
        if (end == 0)
            continue;
        std::size_t start = at - 1;
        while (start > from && isNameByte(text[start - 1]))
            --start;
        return EmailMatch{start, end - start};
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
