#include "Markup.h"

#include "Errors.h"
#include "ExtractEmails.h"
#include "FindByte.h"
#include "UUtils.h"

#include <optional>

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

// Walks the text as the e-mail pass cuts it: onText for each stretch between
// addresses, onEmail for each address.
template <class OnText, class OnEmail>
void walkEmailAddresses(std::string_view text, OnText onText, OnEmail onEmail)
{
    std::size_t copied = 0;
    while (auto m = UUtils::FindEmail(text, copied)) {
        onText(text.substr(copied, m->offset - copied));
        onEmail(text.substr(m->offset, m->length));
        copied = m->offset + m->length;
    }
    onText(text.substr(copied));
}

// Runs a walk twice: first to learn the exact length of the result, then to
// write it into one buffer. A large result is thus never copied to a bigger
// buffer as it grows, and holds no more memory than it needs; finding the
// places again costs less than moving the text.
template <class Walk, class LinkSize, class AppendLink>
std::string build(Walk walk, LinkSize linkSize, AppendLink appendLink)
{
    std::size_t size = 0;
    walk([&](std::string_view t) { size += t.size(); }, [&](std::string_view a) { size += linkSize(a); });
    std::string out;
    out.reserve(size);
    walk([&](std::string_view t) { out.append(t); }, [&](std::string_view a) { appendLink(out, a); });
    return out;
}

// The text with its web addresses made links, or nothing when it holds none.
std::optional<std::string> markupWebAddresses(std::string_view text, const TFormat &f)
{
    if (findHttp(text, 0) == std::string_view::npos)
        return std::nullopt;
    const std::size_t fixed = f.LinkOpen.size() + f.LinkMiddle.size() + f.LinkEnd.size();
    return build([&](auto onText, auto onURL) { walkWebAddresses(text, onText, onURL); },
                 [&](std::string_view u) { return fixed + 2 * u.size(); },
                 [&](std::string &out, std::string_view u) { appendURLLink(out, u, f); });
}

std::string markupEmailAddresses(std::string_view text, const TFormat &f)
{
    const std::size_t fixed = f.LinkOpen.size() + f.Email.size() + f.LinkMiddle.size() + f.LinkEnd.size();
    return build([&](auto onText, auto onEmail) { walkEmailAddresses(text, onText, onEmail); },
                 [&](std::string_view e) { return fixed + 2 * e.size(); },
                 [&](std::string &out, std::string_view e) { appendEmailLink(out, e, f); });
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
    std::optional<std::string> linked = markupWebAddresses(text, *f);
    const std::string_view r = linked ? std::string_view(*linked) : text;
    if (!UUtils::FindEmail(r))
        return linked ? std::move(*linked) : std::string(text);
    return markupEmailAddresses(r, *f);
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
