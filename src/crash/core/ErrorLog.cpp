#include "ErrorLog.h"

#include "TextFile.h"

#include <cstdio>

namespace ErrorLog {
namespace {

constexpr std::string_view kIndent = "  ";
constexpr std::string_view kCut = "  [cut: the entry was longer than the log may be]\n";

bool startsEntry(std::string_view log, std::size_t lineStart)
{
    return lineStart < log.size() && log[lineStart] != ' ';
}

} // namespace

std::string entry(std::string_view when, std::string_view program, std::string_view text)
{
    std::string out;
    out.reserve(when.size() + program.size() + text.size() + 16);
    out += when;
    out += ' ';
    out += program;
    out += '\n';
    for (const std::string_view line : TextFile::splitLines(text)) {
        out += kIndent;
        out += line;
        out += '\n';
    }
    return out;
}

std::string limited(std::string_view log, std::size_t limit)
{
    // Drop whole entries from the front: the next entry starts after a line
    // end, on a line that does not start with a space.
    std::size_t start = 0;
    while (log.size() - start > limit) {
        std::size_t next = start;
        do {
            const std::size_t end = log.find('\n', next);
            next = end == std::string_view::npos ? log.size() : end + 1;
        } while (next < log.size() && !startsEntry(log, next));
        if (next >= log.size())
            break; // the last entry alone is too long
        start = next;
    }
    std::string out(log.substr(start));
    if (out.size() > limit) {
        // Keep the entry's head, which names the time and the error, and cut
        // the rest, mid-line if need be.
        if (limit <= kCut.size() + 1)
            return std::string();
        out.resize(limit - kCut.size() - 1);
        if (out.back() != '\n')
            out += '\n';
        out += kCut;
    }
    return out;
}

void append(const std::filesystem::path &file, std::string_view when, std::string_view program,
            std::string_view text, std::size_t limit)
{
    std::string log = TextFile::readIfExists(file).value_or(std::string());
    if (!log.empty() && log.back() != '\n')
        log += '\n';
    log += entry(when, program, text);
    TextFile::writeReplacing(file, limited(log, limit), TextFile::Access::Shared);
}

std::string localTimestamp(std::time_t moment)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &moment);
    char text[40];
    std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    std::string out(text, n);
    // The system's strftime writes the zone's name for %z, not its offset: the
    // offset is the local time read as if it were UTC, less the moment.
    const long long offset = static_cast<long long>(_mkgmtime(&local)) - static_cast<long long>(moment);
    const long long minutes = (offset < 0 ? -offset : offset) / 60;
    std::snprintf(text, sizeof text, "%c%02lld:%02lld", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    out += text;
    return out;
#else
    localtime_r(&moment, &local);
    char text[40];
    std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
    std::string out(text, n);
    // strftime writes the offset as +0100; ISO 8601's extended form has +01:00.
    if (out.size() >= 5)
        out.insert(out.size() - 2, 1, ':');
    return out;
#endif
}

} // namespace ErrorLog
