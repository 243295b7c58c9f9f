#include "Markup.h"

#include "EmailScan.h"
#include "Errors.h"
#include "FindByte.h"
#include "OutputBuffer.h"
#include "UUtils.h"

#include <algorithm>
#include <cstdint>
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

// The start of the web address whose scheme ends at the colon at `colon`:
// "http://" or "https://", letters in any case; npos when the colon ends no
// such scheme, or the scheme would begin before `from`.
inline std::size_t schemeStart(std::string_view t, std::size_t colon, std::size_t from)
{
    // "http://" is 7 bytes with the colon at its fifth, so a colon counts only
    // from the fifth byte on and up to the third byte from the end.
    if (colon < from + 4 || colon + 2 >= t.size() || t[colon + 1] != '/' || t[colon + 2] != '/')
        return std::string_view::npos;
    // OR-ing 0x20 turns only "H" into "h" (likewise "T", "P", "S"): no other
    // byte becomes one of these letters, so the test is exact.
    std::size_t scheme = colon;
    if ((t[scheme - 1] | 0x20) == 's' && scheme - 1 >= from + 4)
        --scheme;
    if ((t[scheme - 4] | 0x20) == 'h' && (t[scheme - 3] | 0x20) == 't' && (t[scheme - 2] | 0x20) == 't' &&
        (t[scheme - 1] | 0x20) == 'p')
        return scheme - 4;
    return std::string_view::npos;
}

// The fixed pieces of one kind of link: what comes before the address, between
// its two copies and after them. Where each piece is short, it is kept with
// room behind it, and a link with an address of up to 64 bytes is written with
// a few moves of fixed size and no branch on the lengths: each move may write
// past its piece, and the next piece writes over what it wrote too much.
class LinkPieces {
public:
    LinkPieces(std::string_view open, std::string_view middle, std::string_view end)
        : m_open(open), m_middle(middle), m_end(end),
          m_blocks(open.size() <= block && middle.size() <= block && end.size() <= block)
    {
        if (m_blocks) {
            std::memcpy(m_openBlock, open.data(), open.size());
            std::memcpy(m_middleBlock, middle.data(), middle.size());
            std::memcpy(m_endBlock, end.data(), end.size());
        }
    }

    // Writes open, the address, middle, the address again and end; read is
    // how much of the text has been written, `text` the text the address
    // lies in.
    void write(Markup::OutputBuffer &out, std::size_t read, std::string_view address,
               std::string_view text) const
    {
        const std::size_t n = address.size();
        const bool readable = std::size_t(text.data() + text.size() - address.data()) >= longest;
        if (!m_blocks || n > longest || !readable) {
            out.put(read, m_open, address, m_middle, address, m_end);
            return;
        }
        const std::size_t total = m_open.size() + n + m_middle.size() + n + m_end.size();
        char *p = out.room(total + longest, read);
        std::memcpy(p, m_openBlock, block);
        p += m_open.size();
        std::memcpy(p, address.data(), longest);
        p += n;
        std::memcpy(p, m_middleBlock, block);
        p += m_middle.size();
        std::memcpy(p, address.data(), longest);
        p += n;
        std::memcpy(p, m_endBlock, block);
        out.advance(total);
    }

private:
    static constexpr std::size_t block = 32, longest = 64;
    const std::string_view m_open, m_middle, m_end;
    const bool m_blocks; // whether every piece fits a block
    char m_openBlock[block] = {}, m_middleBlock[block] = {}, m_endBlock[block] = {};
};

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

// Writes a text with its web addresses, its e-mail addresses or both made
// links, reading it once from front to back.
//
// The text is copied as it stands until a colon or an at sign turns up, in
// the same reading that looks for them. A colon that ends "http://" or
// "https://" takes back the scheme just copied and writes the web link in its
// place; an at sign with an address around it takes back the address's name
// and writes the e-mail link. So the text is read once however many links it
// holds, and the bytes between the links cost about what copying them costs.
//
// Web addresses are cut as the web pass cuts them: each runs to the first
// space anywhere after it; when the rest of the text holds no space, to the
// first comma; else to the end. E-mail addresses are those the scanner finds
// in each stretch of text between web addresses and in each web address on
// its own, which with a template that keeps addresses apart are the addresses
// of the text after the web pass.
class LinkWriter {
public:
    LinkWriter(std::string_view input, const TFormat &f, bool webLinks, bool emailLinks)
        : m_input(input), m_format(f), m_emailOpen(f.LinkOpen + f.Email),
          m_webLink(f.LinkOpen, f.LinkMiddle, f.LinkEnd), m_emailLink(m_emailOpen, f.LinkMiddle, f.LinkEnd),
          m_webLinks(webLinks), m_emailLinks(emailLinks), m_out(input.size())
    {
    }

    std::string write() &&
    {
        writeText(m_input.size(), m_webLinks);
        return m_out.take();
    }

private:
    // Writes the input from m_pos up to `to`, as text with links; web links
    // only when webAddresses is set.
    void writeText(std::size_t to, bool webAddresses)
    {
        while (m_pos < to) {
            // Past an at sign that starts no address, the at signs up to the
            // next that can start one are plain text.
            const bool atSigns = m_emailLinks && m_pos >= m_atSignsFrom;
            const std::size_t until = m_emailLinks && !atSigns ? std::min(to, m_atSignsFrom) : to;
            if (!webAddresses && !atSigns) {
                copyUntil(until, '\0', '\0', false);
                continue;
            }
            const char first = webAddresses ? ':' : '@';
            const std::size_t mark = copyUntil(until, first, atSigns ? '@' : first, true);
            if (mark == until)
                continue;
            const bool linked = m_input[mark] == ':' ? webLink(mark) : emailLink(mark, to, webAddresses);
            if (!linked) {
                // The colon or at sign is text like any other.
                m_out.put(m_pos, m_input.substr(mark, 1));
                m_pos = mark + 1;
            }
        }
    }

    // Copies the input from m_pos on as text, up to `to` or to the first byte
    // that is a or b when stopAtMark is set; gives where it stopped, which
    // becomes m_pos.
    std::size_t copyUntil(std::size_t to, char a, char b, bool stopAtMark)
    {
        // The text goes into the room there is, in one go where it fits;
        // where little is left, the buffer makes a whole step more.
        constexpr std::size_t leastRoom = 256;
        while (m_pos < to) {
            char *place = m_out.room(leastRoom, m_pos);
            const std::size_t n = std::min(to - m_pos, m_out.spare());
            std::size_t copied = n;
            if (stopAtMark)
                copied = Markup::copyUntilEitherFast(m_input.data() + m_pos, n, place, a, b);
            else
                std::memcpy(place, m_input.data() + m_pos, n);
            m_out.advance(copied);
            m_pos += copied;
            if (copied < n)
                break;
        }
        return m_pos;
    }

    // Writes the web link whose scheme ends at the colon at `colon`, and gives
    // true; false when the colon ends no web address.
    bool webLink(std::size_t colon)
    {
        const std::size_t start = schemeStart(m_input, colon, m_webFrom);
        if (start == std::string_view::npos)
            return false;
        // The scheme went out as text.
        m_out.rewind(colon - start);
        std::size_t end = 0;
        std::string_view url;
        bool atSign = true;
        if (!shortAddress(start, end, url, atSign)) {
            end = addressEnd(start);
            url = UUtils::Trim(m_input.substr(start, end - start));
            atSign = Markup::findEither(url.data(), url.size(), '@', '@') < url.size();
        }
        if (!m_emailLinks || !atSign) {
            // No e-mail address inside: the address goes out twice as it
            // stands, in one go.
            m_webLink.write(m_out, end, url, m_input);
            m_pos = m_webFrom = m_nameFrom = end;
            return true;
        }
        writeWithAddresses(start, end, url);
        return true;
    }

    // Writes the web link of the address `url` at `start` that ends at `end`
    // with the e-mail addresses inside it made links as well. Few addresses
    // hold an at sign: kept out of line, this leaves webLink small enough to
    // be written into the copying loop, which saves a call at every link.
    [[gnu::noinline]] void writeWithAddresses(std::size_t start, std::size_t end, std::string_view url)
    {
        m_out.put(start, m_format.LinkOpen);
        const std::size_t shown = m_out.size();
        m_pos = start;
        m_nameFrom = start;
        writeText(start + url.size(), false);
        // The address again as it was just written, its e-mail links included.
        const std::size_t length = m_out.size() - shown;
        const std::string_view middle = m_format.LinkMiddle, linkEnd = m_format.LinkEnd;
        char *p = m_out.room(middle.size() + length + linkEnd.size(), end);
        Markup::OutputBuffer::copySmall(p, middle.data(), middle.size());
        Markup::OutputBuffer::copySmall(p + middle.size(), m_out.data() + shown, length);
        Markup::OutputBuffer::copySmall(p + middle.size() + length, linkEnd.data(), linkEnd.size());
        m_out.advance(middle.size() + length + linkEnd.size());

        // Blanks trimmed off the end of the address are dropped; the space or
        // comma that ended it is copied with what follows.
        m_pos = m_webFrom = m_nameFrom = end;
    }

    // For a web address at `start` that a space ends within 64 bytes, which
    // is most of them: sets where it ends, the address without the blanks at
    // its end, and whether it holds an at sign, from one look at the 64 bytes,
    // and gives true. False when the address may run on.
    bool shortAddress(std::size_t start, std::size_t &end, std::string_view &url, bool &atSign)
    {
        std::uint64_t spaces = 0, atSigns = 0;
        if (!m_spaceLeft || m_input.size() - start < 64 ||
            !Markup::hits64(m_input.data() + start, ' ', '@', spaces, atSigns) || spaces == 0)
            return false;
        const unsigned length = unsigned(__builtin_ctzll(spaces));
        end = start + length;
        // The scheme's first letter is no blank, so only the end is trimmed.
        std::size_t last = end;
        while (static_cast<unsigned char>(m_input[last - 1]) <= ' ')
            --last;
        url = m_input.substr(start, last - start);
        atSign = (atSigns & ((std::uint64_t(1) << length) - 1)) != 0;
        return true;
    }

    // Where the web address at `start` ends: at the first space after it, or
    // when the rest holds none, at the first comma; else at the end.
    std::size_t addressEnd(std::size_t start)
    {
        std::size_t end = std::string_view::npos;
        if (m_spaceLeft) {
            end = Markup::findByte(m_input, start, ' ');
            // Once the rest of the text holds no space it never will again.
            m_spaceLeft = end != std::string_view::npos;
        }
        if (!m_spaceLeft)
            end = Markup::findByte(m_input, start, ',');
        return end == std::string_view::npos ? m_input.size() : end;
    }

    // Writes the e-mail link whose at sign stands at `at`, the address lying
    // before `to`, and gives true; false when that at sign starts no address.
    bool emailLink(std::size_t at, std::size_t to, bool webAddresses)
    {
        auto m = UUtils::EmailScan::emailAt(m_input.substr(0, to), m_nameFrom, at);
        if (m && webAddresses) {
            // A web address's scheme is made of letters, so an address's
            // domain can run into it up to its colon; the text in front of the
            // web address ends the domain there.
            const std::size_t end = m->offset + m->length;
            const std::size_t web =
                end < m_input.size() && m_input[end] == ':' ? schemeStart(m_input, end, m_webFrom) : end;
            if (web < end)
                m = UUtils::EmailScan::emailAt(m_input.substr(0, web), m_nameFrom, at);
        }
        if (!m) {
            m_atSignsFrom = std::min(UUtils::NextPossibleAt(m_input, at), m_input.size());
            return false;
        }
        // The name went out as text.
        m_out.rewind(at - m->offset);
        const std::string_view e = m_input.substr(m->offset, m->length);
        m_emailLink.write(m_out, at, e, m_input);
        m_pos = m_nameFrom = m->offset + m->length;
        return true;
    }

    const std::string_view m_input;
    const TFormat &m_format;
    const std::string m_emailOpen; // LinkOpen Email, what every e-mail link begins with
    const LinkPieces m_webLink, m_emailLink;
    const bool m_webLinks, m_emailLinks;
    Markup::OutputBuffer m_out;
    std::size_t m_pos = 0;         // the input is written up to here
    std::size_t m_webFrom = 0;     // where the next web address may begin: the end of the last one
    std::size_t m_nameFrom = 0;    // where the next e-mail address may begin
    std::size_t m_atSignsFrom = 0; // at signs in front of this start no address
    bool m_spaceLeft = true;       // whether the rest of the text may hold a space
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
        // One reading: each stretch of text and each web address gets its
        // e-mail links as it is written.
        return LinkWriter(text, *f, true, true).write();
    }
    // The template's pieces can hold an address or join one with the text
    // around them, so the e-mail addresses are looked for in the finished text
    // of the web pass.
    const std::string linked = LinkWriter(text, *f, true, false).write();
    return LinkWriter(linked, *f, false, true).write();
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
