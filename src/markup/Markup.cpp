#include "Markup.h"

#include "Errors.h"
#include "ExtractEmails.h"
#include "FindByte.h"
#include "UUtils.h"

#include <algorithm>
#include <cstring>

namespace {

// A web link of an address that is already trimmed.
void appendURLLink(std::string &out, std::string_view url, const TFormat &f)
{
    out.append(f.LinkOpen).append(url).append(f.LinkMiddle).append(url).append(f.LinkEnd);
}

// An e-mail link of an address that is already trimmed.
void appendEmailLink(std::string &out, std::string_view email, const TFormat &f)
{
    out.append(f.LinkOpen).append(f.Email).append(email).append(f.LinkMiddle).append(email).append(f.LinkEnd);
}

// Where the next "http://" starts at or after `from`, letters in any case;
// npos when there is none. The colon is rare in ordinary text, so the search
// jumps from colon to colon and looks at the bytes around each.
std::size_t findHttp(std::string_view t, std::size_t from)
{
    // "http://" is 7 bytes with the colon at its fifth, so a colon counts only
    // from the fifth byte on and up to the third byte from the end.
    const std::string_view colons = t.substr(0, t.size() > 2 ? t.size() - 2 : 0);
    for (std::size_t colon = from + 4;; ++colon) {
        colon = Markup::findByte(colons, colon, ':');
        if (colon == std::string_view::npos)
            break;
        // OR-ing 0x20 turns only "H" into "h" (likewise "T", "P"): no other byte
        // becomes one of these letters, so the test is exact.
        if (t[colon + 1] == '/' && t[colon + 2] == '/' && (t[colon - 4] | 0x20) == 'h' &&
            (t[colon - 3] | 0x20) == 't' && (t[colon - 2] | 0x20) == 't' && (t[colon - 1] | 0x20) == 'p')
            return colon - 4;
    }
    return std::string_view::npos;
}

// Walks the text as the web pass cuts it: onText for each stretch copied as it
// stands, onURL for each address, already trimmed. Each search starts where the
// last address ended, so the text is read once whatever it holds.
template <class OnText, class OnURL> void walkWebAddresses(std::string_view text, OnText onText, OnURL onURL)
{
    std::size_t copied = 0;
    // Once the rest of the text holds no space it never will again: from then on
    // commas end the addresses, and the space is not looked for again.
    bool spaceLeft = true;
    for (std::size_t start; (start = findHttp(text, copied)) != std::string_view::npos;) {
        onText(text.substr(copied, start - copied));
        std::size_t end = std::string_view::npos;
        if (spaceLeft) {
            end = Markup::findByte(text, start, ' ');
            spaceLeft = end != std::string_view::npos;
        }
        if (!spaceLeft)
            end = Markup::findByte(text, start, ',');
        if (end == std::string_view::npos)
            end = text.size();
        onURL(UUtils::Trim(text.substr(start, end - start)));
        // The space or comma that ended the address is copied with what follows.
        copied = end;
    }
    onText(text.substr(copied));
}

// Whether, in the text after the web pass, no e-mail address can lie in a web
// link's own pieces or reach into one from the text or the address around it.
// That holds when each of LinkOpen, LinkMiddle and LinkEnd holds no at sign and
// begins and ends with a byte that no address holds: then each stretch of text
// and each web address can be searched for e-mail addresses on its own, while
// the links are written.
bool webLinksKeepAddressesApart(const TFormat &f)
{
    const auto apart = [](std::string_view piece) {
        return !piece.empty() && piece.find('@') == std::string_view::npos &&
               !UUtils::isEmailByte(piece.front()) && !UUtils::isEmailByte(piece.back());
    };
    return apart(f.LinkOpen) && apart(f.LinkMiddle) && apart(f.LinkEnd);
}

// Copies n bytes, n at most 256. Most pieces of a link are short, and for them
// a few moves of fixed size cost less than a call to memcpy.
inline void copyShort(char *to, const char *from, std::size_t n)
{
    if (n > 32) {
        std::memcpy(to, from, n);
    } else if (n >= 16) {
        std::memcpy(to, from, 16);
        std::memcpy(to + n - 16, from + n - 16, 16);
    } else if (n >= 8) {
        std::memcpy(to, from, 8);
        std::memcpy(to + n - 8, from + n - 8, 8);
    } else if (n >= 4) {
        std::memcpy(to, from, 4);
        std::memcpy(to + n - 4, from + n - 4, 4);
    } else if (n > 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

// The marked-up text as it is written, in one buffer. The room for it is made
// ahead: about a quarter more than the input at first, and when that runs out,
// what the input read so far has grown into, scaled to the whole input. A
// result is thus copied to a larger buffer once or twice at most, and is never
// walked twice to learn its length.
class LinkWriter {
public:
    LinkWriter(std::string_view input, const TFormat &f)
        : m_input(input), m_format(f), m_emailOpen(f.LinkOpen + f.Email)
    {
        m_out.reserve(input.size() + input.size() / 4 + 64);
    }

    // Text that stays as it is.
    void text(std::string_view t)
    {
        makeRoom(t.size(), t.data() + t.size());
        m_out.append(t);
    }

    // Text with its e-mail addresses made links; t is a part of the input.
    void textWithEmailLinks(std::string_view t)
    {
        std::size_t copied = 0;
        while (holdsAtSign(t.substr(copied))) {
            const auto m = UUtils::FindEmail(t, copied, m_nextAt - std::size_t(t.data() - m_input.data()));
            if (!m)
                break;
            text(t.substr(copied, m->offset - copied));
            emailLink(t.substr(m->offset, m->length));
            copied = m->offset + m->length;
        }
        text(t.substr(copied));
    }

    // LinkOpen U LinkMiddle U LinkEnd, with the e-mail addresses inside U made
    // links in both copies when emailLinks is set.
    void webLink(std::string_view url, bool emailLinks)
    {
        text(m_format.LinkOpen);
        const std::size_t first = m_out.size();
        if (emailLinks)
            textWithEmailLinks(url);
        else
            text(url);
        const std::size_t length = m_out.size() - first;
        makeRoom(m_format.LinkMiddle.size() + length + m_format.LinkEnd.size(), url.data() + url.size());
        m_out.append(m_format.LinkMiddle);
        m_out.append(m_out.data() + first, length);
        m_out.append(m_format.LinkEnd);
    }

    std::string take() { return std::move(m_out); }

private:
    void emailLink(std::string_view e)
    {
        const TFormat &f = m_format;
        const std::size_t size = m_emailOpen.size() + 2 * e.size() + f.LinkMiddle.size() + f.LinkEnd.size();
        makeRoom(size, e.data() + e.size());
        // A link is five short pieces: put together here first, they cost one
        // append rather than five.
        char link[256];
        if (size > sizeof link) {
            m_out.append(m_emailOpen).append(e).append(f.LinkMiddle).append(e).append(f.LinkEnd);
            return;
        }
        char *p = link;
        for (std::string_view piece : {std::string_view(m_emailOpen), e, std::string_view(f.LinkMiddle), e,
                                       std::string_view(f.LinkEnd)}) {
            copyShort(p, piece.data(), piece.size());
            p += piece.size();
        }
        m_out.append(link, size);
    }

    // Whether t, a part of the input, holds an at sign. The input is searched
    // for at signs once, from front to back: the one found last is kept for the
    // parts that follow, so a part of text without one costs no search of its
    // own.
    bool holdsAtSign(std::string_view t)
    {
        const std::size_t from = std::size_t(t.data() - m_input.data());
        if (!m_atFound || m_nextAt < from) {
            m_nextAt = Markup::findByte(m_input, from, '@');
            m_atFound = true;
        }
        return m_nextAt < from + t.size();
    }

    // Room for `bytes` more, the input being read up to readTo (within or at
    // the end of m_input; anything else counts as all of it read).
    void makeRoom(std::size_t bytes, const char *readTo)
    {
        if (m_out.capacity() - m_out.size() >= bytes)
            return;
        const bool inside = readTo > m_input.data() && readTo <= m_input.data() + m_input.size();
        const std::size_t read = inside ? std::size_t(readTo - m_input.data()) : m_input.size();
        const std::size_t left = m_input.size() - read;
        const double grown = read ? double(m_out.size() + bytes) / double(read) : 1.0;
        const std::size_t wanted = m_out.size() + bytes + std::size_t(double(left) * grown * 1.125);
        m_out.reserve(
            std::max({wanted, m_out.size() + bytes + left, m_out.capacity() + m_out.capacity() / 2}));
    }

    std::string_view m_input;
    const TFormat &m_format;
    const std::string m_emailOpen; // LinkOpen Email, what every e-mail link begins with
    std::string m_out;
    bool m_atFound = false;
    std::size_t m_nextAt = 0; // the first at sign from where the last search began, or npos
};

} // namespace

const TFormat *SelectedFormat(const TFormats &formats, int index)
{
    if (index == -1)
        return nullptr;
    int named = 0;
    for (int i = 0; i < formats.count(); ++i) {
        const TFormat &f = formats.record(i);
        if (f.Name.empty())
            continue;
        if (named == index)
            return &f;
        ++named;
    }
    throw EError("The chosen markup template does not exist: template index " + std::to_string(index) +
                 ", but the template list holds " + std::to_string(named) + " templates with a name.");
}

std::string MarkupText(std::string_view text, int index, const TFormats &formats)
{
    const TFormat *f = SelectedFormat(formats, index);
    if (!f)
        return std::string(text);
    if (webLinksKeepAddressesApart(*f)) {
        // One pass: each stretch of text and each web address gets its e-mail
        // links as it is written.
        LinkWriter out(text, *f);
        walkWebAddresses(
            text, [&](std::string_view t) { out.textWithEmailLinks(t); },
            [&](std::string_view u) { out.webLink(u, true); });
        return out.take();
    }
    // The template's pieces can hold an address or join one with the text
    // around them, so the e-mail addresses are looked for in the finished text
    // of the web pass.
    LinkWriter web(text, *f);
    walkWebAddresses(
        text, [&](std::string_view t) { web.text(t); }, [&](std::string_view u) { web.webLink(u, false); });
    const std::string linked = web.take();
    LinkWriter out(linked, *f);
    out.textWithEmailLinks(linked);
    return out.take();
}

namespace {

// The trimmed address, as a link of the selected template when there is one.
template <class AppendLink>
std::string wrapTrimmed(std::string_view address, int index, const TFormats &formats, AppendLink appendLink)
{
    const std::string_view trimmed = UUtils::Trim(address);
    const TFormat *f = SelectedFormat(formats, index);
    if (!f)
        return std::string(trimmed);
    std::string out;
    appendLink(out, trimmed, *f);
    return out;
}

} // namespace

std::string WrapURL(std::string_view url, int index, const TFormats &formats)
{
    return wrapTrimmed(url, index, formats, appendURLLink);
}

std::string WrapEmail(std::string_view email, int index, const TFormats &formats)
{
    return wrapTrimmed(email, index, formats, appendEmailLink);
}
