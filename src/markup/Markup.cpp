#include "Markup.h"

#include "Errors.h"
#include "ExtractEmails.h"
#include "UUtils.h"

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
    const char *const base = t.data();
    const std::size_t n = t.size();
    // "http://" is 7 bytes with the colon at its fifth.
    std::size_t pos = from + 4;
    while (pos + 2 < n) {
        const void *hit = std::memchr(base + pos, ':', n - 2 - pos);
        if (!hit)
            break;
        const std::size_t colon = static_cast<const char *>(hit) - base;
        // OR-ing 0x20 turns only "H" into "h" (likewise "T", "P"): no other byte
        // becomes one of these letters, so the test is exact.
        if (t[colon + 1] == '/' && t[colon + 2] == '/' && (t[colon - 4] | 0x20) == 'h' &&
            (t[colon - 3] | 0x20) == 't' && (t[colon - 2] | 0x20) == 't' && (t[colon - 1] | 0x20) == 'p')
            return colon - 4;
        pos = colon + 1;
    }
    return std::string_view::npos;
}

std::size_t findByte(std::string_view t, std::size_t from, char c)
{
    const void *hit = std::memchr(t.data() + from, c, t.size() - from);
    return hit ? static_cast<std::size_t>(static_cast<const char *>(hit) - t.data()) : std::string_view::npos;
}

std::string markupWebAddresses(std::string_view text, const TFormat &f)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    std::size_t copied = 0;
    // Once the rest of the text holds no space it never will again: from then on
    // commas end the addresses, and the space is not looked for again.
    bool spaceLeft = true;
    for (std::size_t start; (start = findHttp(text, copied)) != std::string_view::npos;) {
        out.append(text.substr(copied, start - copied));
        std::size_t end = std::string_view::npos;
        if (spaceLeft) {
            end = findByte(text, start, ' ');
            spaceLeft = end != std::string_view::npos;
        }
        if (!spaceLeft)
            end = findByte(text, start, ',');
        if (end == std::string_view::npos)
            end = text.size();
        appendURLLink(out, UUtils::Trim(text.substr(start, end - start)), f);
        // The space or comma that ended the address is copied with what follows.
        copied = end;
    }
    out.append(text.substr(copied));
    return out;
}

std::string markupEmailAddresses(std::string text, const TFormat &f)
{
    auto m = UUtils::FindEmail(text);
    if (!m)
        return text;
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    std::size_t copied = 0;
    std::string_view t = text;
    do {
        out.append(t.substr(copied, m->offset - copied));
        appendEmailLink(out, t.substr(m->offset, m->length), f);
        copied = m->offset + m->length;
    } while ((m = UUtils::FindEmail(t, copied)));
    out.append(t.substr(copied));
    return out;
}

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
    return markupEmailAddresses(markupWebAddresses(text, *f), *f);
}

std::string WrapURL(std::string_view url, int index, const TFormats &formats)
{
    const std::string_view trimmed = UUtils::Trim(url);
    const TFormat *f = SelectedFormat(formats, index);
    if (!f)
        return std::string(trimmed);
    std::string out;
    appendURLLink(out, trimmed, *f);
    return out;
}

std::string WrapEmail(std::string_view email, int index, const TFormats &formats)
{
    const std::string_view trimmed = UUtils::Trim(email);
    const TFormat *f = SelectedFormat(formats, index);
    if (!f)
        return std::string(trimmed);
    std::string out;
    appendEmailLink(out, trimmed, *f);
    return out;
}
