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

enum class Durability {
    FileAndFolder, // the new content and its name in the folder both reach the disk
    FileOnly,      // the content reaches the disk; the rename may not yet
};

// Replaces the file's whole content. The new bytes go to a temporary file in
// the same directory, are flushed to disk and then renamed over the old file,
// and the directory is flushed after the rename, so a failure at any point
// leaves the old file as it was and no temporary file behind, and a save that
// returned survives a power cut. A file that is a symbolic link is written
// through it: the file it points to is replaced and the link stays.
// A Private file is readable and writable by its owner only after every
// rewrite; a Shared one keeps the permissions of the file it replaces.
// Raises EFileError naming the file and the system's reason.
void writeReplacing(const std::filesystem::path &file, std::string_view content, Access access,
                    Durability durability = Durability::FileAndFolder);

// Adds lines (whole lines, each with its line end) at the end of the file in
// one write and flushes them to disk, so a crash leaves either all of them or
// none: a log grows this way without rewriting what it holds. A file that is
// missing or empty gets header (with its line end) first; a file whose last
// line lacks its line end gets CR LF first, so the new lines start lines of
// their own. Raises EFileError naming the file and the system's reason.
void appendLines(const std::filesystem::path &file, std::string_view header, std::string_view lines);

// Removes the temporary files that saves of file left in its directory when
// they were cut off (the program was killed or the machine stopped part-way).
// They hold a copy of the data, passwords included. Raises EFileError when one
// is there and cannot be removed.
void removeLeftoverTemporaries(const std::filesystem::path &file);

// Cuts a text into lines. A line ends at CR LF, at a lone CR or at a lone LF;
// a last line without a line end counts too. A byte 0 ends the text.
std::vector<std::string_view> splitLines(std::string_view text);

// The lines of a text as splitLines cuts them, one at a time, for texts too
// large to list all their lines first.
class LineCursor {
public:
    explicit LineCursor(std::string_view text);
    // The next line, or false when there is none left.
    bool next(std::string_view &line);

private:
    // The position of the first c at or after m_start, or the text's end.
    std::size_t find(char c) const;

    std::string_view m_text;
    std::size_t m_start = 0;
    // The next CR and the next LF at or after m_start (or the text's end):
    // each is searched for once however many lines lie before it.
    std::size_t m_cr = 0;
    std::size_t m_lf = 0;
};

} // namespace TextFile
