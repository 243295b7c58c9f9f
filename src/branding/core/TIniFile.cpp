#include "TIniFile.h"

#include "TextFile.h"
#include "UUtils.h"

#include <algorithm>

namespace {

bool isBlank(char c)
{
    return c == ' ' || (c >= 9 && c <= 13);
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view withoutQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

TIniFile::TIniFile(const std::filesystem::path &file)
{
    if (auto text = TextFile::readIfExists(file))
        parse(*text);
}

TIniFile TIniFile::fromText(std::string_view text)
{
    TIniFile ini;
    ini.parse(text);
    return ini;
}

void TIniFile::parse(std::string_view text)
{
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (text.starts_with(bom))
        text.remove_prefix(bom.size());

    Section *current = nullptr; // lines before the first header go nowhere
    while (!text.empty()) {
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos)
            text = {};
        else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            text.remove_prefix(end + 2);
        else
            text.remove_prefix(end + 1);

        line = trimmed(line);
        if (line.starts_with('[')) {
            std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                m_sections.push_back(Section{std::string(trimmed(line.substr(1, close - 1))), {}});
                current = &m_sections.back();
                continue;
            }
        }
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || !current)
            continue;
        std::string_view value = withoutQuotes(trimmed(line.substr(eq + 1)));
        if (value.size() > MaxValueLength)
            value = value.substr(0, MaxValueLength);
        current->entries.push_back(Entry{std::string(trimmed(line.substr(0, eq))), std::string(value)});
    }
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const
{
    auto s = std::find_if(m_sections.begin(), m_sections.end(), [&](const Section &candidate) {
        return UUtils::EqualsIgnoringAsciiCase(candidate.name, section);
    });
    if (s != m_sections.end()) {
        for (const Entry &e : s->entries)
            if (UUtils::EqualsIgnoringAsciiCase(e.key, key))
                return e.value;
    }
    return std::string(defaultValue);
}
