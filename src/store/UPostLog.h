#pragma once

#include "RecordCodec.h"

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

// "PostLog.dat" beside the program: one line for every form the user sent from
// a forum's page that had just taken the message, oldest first. It is written
// like the other data files (a header line, caret-separated fields, CR LF),
// but only ever appended to, never rewritten.
namespace PostLog {

inline constexpr std::string_view fileName = "PostLog.dat";
// Named after the fields, as the other files' header lines name theirs.
inline constexpr RecordCodec::Layout layout{"Time^URL^Subject^", 3, false};

// The record line for one post, with its CR LF: the time, the forum's address
// and the message's subject, escaped where the plain format would not give
// them back (a caret, a line break).
std::string record(std::string_view time, std::string_view url, std::string_view subject);

// Appends the record for a post sent at moment (written as local time in ISO
// 8601 with its offset from UTC) to the log in dir, making the file with its
// header line when there is none. Raises EFileError naming the file.
void append(const std::filesystem::path &dir, std::time_t moment, std::string_view url,
            std::string_view subject);

} // namespace PostLog
