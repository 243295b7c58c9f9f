#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Whole-file reading and writing for the small data files beside the program.
namespace TextFile {

// The whole content of a file, byte for byte, or nothing when no file is
// there. A file that is there but cannot be opened or read raises EFileError.
std::optional<std::string> readIfExists(const std::filesystem::path &file);

enum class Access {
    Shared,  // a new file gets the usual permissions (0666 less the umask)
    Private, // a new file is readable and writable by its owner only
};

// Replaces the file's whole content. The new bytes go to a temporary file in
// the same directory, are flushed to disk and then renamed over the old file,
// so a failure at any point leaves the old file as it was and no temporary
// file behind. A rewrite keeps the permissions of the file it replaces.
// Raises EFileError naming the file and the system's reason.
void writeReplacing(const std::filesystem::path &file, std::string_view content, Access access);

// Cuts a text into lines. A line ends at CR LF, at a lone CR or at a lone LF;
// a last line without a line end counts too. A byte 0 ends the text.
std::vector<std::string_view> splitLines(std::string_view text);

} // namespace TextFile
