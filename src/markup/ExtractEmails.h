#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace UUtils {

// One e-mail address found in a text: where it starts and how many bytes it has.
struct EmailMatch {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool operator==(const EmailMatch &) const = default;
};

// E-mail addresses are what the pattern
//     [_a-zA-Z\d\-\.]+@[_a-zA-Z\d\-]+(\.[_a-zA-Z\d\-]+)+
// matches: a name of letters, digits, "_", "-" and ".", an at sign, then at least
// two dot-separated labels of letters, digits, "_" and "-". Bytes above 127
// belong to no class. A search takes the leftmost place where an address starts
// and the longest address there.
//
// The scanner jumps to the at signs and the dots after them and grows each
// address outward from its at sign, so a text is read in linear time whatever
// it holds.

// Whether an address can hold the byte: a letter, a digit, "_", "-", "." or the
// at sign. An address never runs across any other byte.
bool isEmailByte(char c);

// The first address that starts at or after `from`; nothing when there is none.
// The address may not begin before `from`, so calling again from the end of the
// previous match gives the next one without overlap.
std::optional<EmailMatch> FindEmail(std::string_view text, std::size_t from = 0);

// The address whose at sign stands at `at`, its name beginning at `from` or
// later: the longest name and the longest domain there. Nothing when that at
// sign starts no address.
std::optional<EmailMatch> EmailAt(std::string_view text, std::size_t from, std::size_t at);

// Where, after an at sign at `at` that starts no address, the next at sign that
// may start one can stand; npos when none after `at` can. An address needs a
// dot after its at sign with no at sign between, so of the at signs in front of
// the next dot only the last one can start one, and none where no dot follows.
std::size_t NextPossibleAt(std::string_view text, std::size_t at);

// Every address in the text, in order, none overlapping the one before.
std::vector<EmailMatch> FindEmails(std::string_view text);

// Every address in the text, duplicates included, each followed by CR LF; empty
// when there is none.
std::string ExtractEmails(std::string_view text);

} // namespace UUtils
