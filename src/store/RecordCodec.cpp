#include "RecordCodec.h"

#include "TextFile.h"
#include "UUtils.h"

namespace RecordCodec {
namespace {

constexpr std::string_view kCrEscape = "%#%";
constexpr std::string_view kLfEscape = "&#&";

void appendEscaped(std::string &out, const std::string &field)
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

std::vector<Fields> parse(std::string_view text, const Layout &layout)
{
    std::vector<Fields> records;
    const auto lines = TextFile::splitLines(text);
    Fields split;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (UUtils::Trim(lines[i]).empty())
            continue;
        UUtils::SplitByChar('^', lines[i], split);
        split.resize(layout.fieldCount);
        if (layout.escapesLineBreaks) {
            for (auto &field : split)
                field = replaceAll(replaceAll(field, kCrEscape, "\r"), kLfEscape, "\n");
        }
        records.push_back(std::move(split));
        split = Fields();
    }
    return records;
}

void appendHeader(std::string &out, const Layout &layout)
{
    out += layout.header;
    out += "\r\n";
}

void appendRecord(std::string &out, std::span<const std::string *const> fields, const Layout &layout)
{
    for (const std::string *field : fields) {
        if (layout.escapesLineBreaks)
            appendEscaped(out, *field);
        else
            out += *field;
        out += '^';
    }
    out += "\r\n";
}

} // namespace RecordCodec
