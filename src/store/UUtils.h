#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace UUtils {

// Cuts a line into fields at every separator. Every separator closes a field,
// even an empty one; what follows the last separator becomes a field only when
// it is not empty, so a trailing separator is optional.
void SplitByChar(char separator, std::string_view line, std::vector<std::string> &fields);

// The same cut without copying: the first fields.size() fields of the line go
// into fields, as parts of the line. Returns how many fields the line has up
// to that many; the rest of fields is left as it was.
std::size_t SplitByChar(char separator, std::string_view line, std::span<std::string_view> fields);

// True for the bytes that trimming removes: codes 0 to 32.
constexpr bool isBlank(unsigned char c) { return c <= 32; }

// Removes every byte with a code from 0 to 32 from both ends.
std::string_view Trim(std::string_view text);

// Removes spaces and tabs from both ends, as header lines and desktop entries
// are trimmed.
std::string_view TrimSpacesAndTabs(std::string_view text);

// The byte with A to Z turned into a to z; every other byte, those above 127
// included, stays as it is.
constexpr char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text with A to Z turned into a to z, byte for byte.
std::string AsciiLowerCase(std::string_view text);

// Whether two texts are equal when A to Z count as a to z.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace UUtils
