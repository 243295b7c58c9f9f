#include "ExtractEmails.h"

#include "FindByte.h"

#include <algorithm>
#include <array>
#include <cstdint>

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

#if defined(__SSE2__)
// Bit k set when p[k] is a label byte, for the 16 bytes at p. Each range test
// moves its range to the bottom of the signed bytes, so one signed compare
// tells inside from outside; OR-ing 0x20 makes capitals small and no other byte
// a letter.
inline unsigned labelBits(const char *p)
{
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    const auto inRange = [](__m128i v, char first, int count) {
        return _mm_cmplt_epi8(_mm_add_epi8(v, _mm_set1_epi8(char(-128 - first))),
                              _mm_set1_epi8(char(-128 + count)));
    };
    const __m128i letter = inRange(_mm_or_si128(c, _mm_set1_epi8(0x20)), 'a', 26);
    const __m128i digit = inRange(c, '0', 10);
    const __m128i sign =
        _mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8('_')), _mm_cmpeq_epi8(c, _mm_set1_epi8('-')));
    return unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letter, digit), sign)));
}

inline unsigned nameBits(const char *p)
{
    return labelBits(p) | Markup::hits16(p, '.');
}
#endif

// The first position p at or after `from` such that every byte from p up to i
// is a name byte.
std::size_t nameRunStart(std::string_view t, std::size_t from, std::size_t i)
{
#if defined(__SSE2__)
    // Names are short and of every length: a byte-by-byte loop would guess its
    // end wrong at nearly every one, so 16 bytes are looked at at once.
    while (i > from && i >= 16) {
        const std::size_t base = i - 16;
        unsigned stops = ~nameBits(t.data() + base) & 0xffff;
        if (from > base)
            stops |= (1u << (from - base)) - 1;
        if (stops)
            return base + std::size_t(32 - __builtin_clz(stops));
        i = base;
    }
#endif
    while (i > from && isNameByte(t[i - 1]))
        --i;
    return i;
}

// The end of the longest domain that starts right after the at sign at `at`,
// or 0 when none does: one label, then one or more groups of a dot and a label.
// The scan never passes another at sign, which belongs to no class.
std::size_t domainEnd(std::string_view t, std::size_t at)
{
    const std::size_t n = t.size();
#if defined(__SSE2__)
    // Most domains end within 32 bytes: there the 32 bytes' classes tell where
    // at once, with no loop whose end would be guessed wrong. The domain ends
    // at the first byte that is neither a label byte nor a dot, or in front of
    // the first dot that no label byte follows; it must begin with a label
    // byte and hold a dot.
    if (at + 33 <= n) {
        const char *p = t.data() + at + 1;
        const std::uint32_t label = labelBits(p) | labelBits(p + 16) << 16;
        const std::uint32_t dot = Markup::hits16(p, '.') | Markup::hits16(p + 16, '.') << 16;
        const std::uint32_t neither = ~(label | dot);
        if (neither != 0) {
            const unsigned end = unsigned(__builtin_ctz(neither | (dot & ~(label >> 1))));
            if (!(label & 1) || !(dot & ((1u << end) - 1)))
                return 0;
            return at + 1 + end;
        }
    }
#endif
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

bool isEmailByte(char c)
{
    return c == '@' || isNameByte(c);
}

std::optional<EmailMatch> EmailAt(std::string_view text, std::size_t from, std::size_t at)
{
    // The name runs back over name bytes to the previous at sign (which is no
    // name byte) or to `from`, whichever comes first.
    if (at <= from || !isNameByte(text[at - 1]))
        return std::nullopt;
    const std::size_t end = domainEnd(text, at);
    if (!end)
        return std::nullopt;
    const std::size_t start = nameRunStart(text, from, at - 1);
    return EmailMatch{start, end - start};
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
