#include "RecordCodec.h"

#include "TextFile.h"
#include "UUtils.h"

#include <algorithm>

namespace RecordCodec {
namespace {

constexpr std::string_view kCrEscape = "%#%";
constexpr std::string_view kLfEscape = "&#&";

void appendLineBreakEscaped(std::string &out, std::string_view field)
{
    for (char c : field) {
        if (c == '\r')
            out += kCrEscape;
        else if (c == '\n')
            out += kLfEscape;
        else
            out += c;
    }
}

std::string lineBreakUnescaped(std::string_view field)
{
    return replaceAll(replaceAll(field, kCrEscape, "\r"), kLfEscape, "\n");
}

// Whether the plain format gives the field back as it is.
bool readsBackPlain(std::string_view field, const Layout &layout)
{
    if (field.find('^') != std::string_view::npos)
        return false;
    if (!layout.escapesLineBreaks)
        return field.find_first_of("\r\n") == std::string_view::npos;
    // Without "%" or "&" of its own, only the escapes themselves hold those
    // characters, and they read back as the line breaks they stand for.
    if (field.find_first_of("%&") == std::string_view::npos)
        return true;
    std::string written;
    appendLineBreakEscaped(written, field);
    return lineBreakUnescaped(written) == field;
}

void appendPercentEscaped(std::string &out, std::string_view field)
{
    for (char c : field) {
        switch (c) {
        case '%': out += "%25"; break;
        case '^': out += "%5E"; break;
        case '\r': out += "%0D"; break;
        case '\n': out += "%0A"; break;
        default: out += c;
        }
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "%" and two hex digits stand for that byte; any other "%" stands for itself.
std::string percentUnescaped(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size()) {
            const int hi = hexValue(field[i + 1]);
            const int lo = hexValue(field[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

} // namespace

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos)
            break;
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
    out.append(text.substr(pos));
    return out;
}

void parse(std::string_view text, const Layout &layout, const std::function<void(Fields &)> &onRecord)
{
    TextFile::LineCursor lines(text);
    std::string_view line;
    if (!lines.next(line))
        return;
    // One field more than the record has, to see the escaped marker.
    std::vector<std::string_view> split(layout.fieldCount + 1);
    Fields fields(layout.fieldCount);
    while (lines.next(line)) {
        if (UUtils::Trim(line).empty())
            continue;
        const std::size_t count = UUtils::SplitByChar('^', line, split);
        const bool escaped = count > layout.fieldCount && split[layout.fieldCount] == escapedMarker;
        for (std::size_t k = 0; k < layout.fieldCount; ++k) {
            const std::string_view field = k < count ? split[k] : std::string_view();
            if (escaped)
                fields[k] = percentUnescaped(field);
            else if (layout.escapesLineBreaks)
                fields[k] = lineBreakUnescaped(field);
            else
                fields[k].assign(field);
        }
        onRecord(fields);
    }
}

void appendHeader(std::string &out, const Layout &layout)
{
    out += layout.header;
    out += "\r\n";
}

void appendRecord(std::string &out, std::span<const std::string *const> fields, const Layout &layout)
{
    const bool escaped = !std::all_of(fields.begin(), fields.end(),
                                      [&](const std::string *f) { return readsBackPlain(*f, layout); });
    for (const std::string *field : fields) {
        if (escaped)
            appendPercentEscaped(out, *field);
        else if (layout.escapesLineBreaks)
            appendLineBreakEscaped(out, *field);
        else
            out += *field;
        out += '^';
    }
    if (escaped) {
        out += escapedMarker;
        out += '^';
    }
    out += "\r\n";
}

} // namespace RecordCodec
