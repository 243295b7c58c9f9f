#pragma once

#include <cstddef>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

// "error.log" beside the program: every error the user was shown, oldest
// first, so that a report can still be made after the dialog is gone.
//
// An entry is a line with the time and the program's name and version,
// followed by the error's text with every line indented by two spaces. A line
// that does not start with a space therefore always starts an entry, whatever
// the error's text holds.
namespace ErrorLog {

inline constexpr std::size_t kMaxBytes = 1024 * 1024;

// The entry for one error, with its line ends.
std::string entry(std::string_view when, std::string_view program, std::string_view text);

// The log with its oldest entries dropped until it is at most limit bytes
// long. An entry that alone is longer than limit is cut at the end.
std::string limited(std::string_view log, std::size_t limit = kMaxBytes);

// Appends an entry to the log file and keeps the file at most limit bytes long.
// Raises EFileError when the file cannot be read or written.
void append(const std::filesystem::path &file, std::string_view when, std::string_view program,
            std::string_view text, std::size_t limit = kMaxBytes);

// A moment as local time in ISO 8601 with the offset from UTC, the way the
// log names it: 2026-12-11T02:50:07+01:00.
std::string localTimestamp(std::time_t moment);

} // namespace ErrorLog
