#include "TextFile.h"

#include "Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace TextFile {
namespace {

// Closes a descriptor on every path out of a function.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { reset(); }
    int get() const { return m_fd; }
    // Closes now and reports the outcome, for the write path where a failing
    // close means the data may not have reached the disk.
    int close()
    {
        int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

constexpr std::string_view kTemporarySuffix = ".tmp";

// ".Forums.dat." in front of the random part of a temporary file's name.
std::string temporaryPrefixFor(const std::filesystem::path &file)
{
    std::string prefix(1, '.');
    prefix += file.filename().string();
    prefix += '.';
    return prefix;
}

// Whether name is one of the temporary names that saves of file use. Earlier
// versions of the program made eight lower-case letters and digits, the
// system's generator makes six letters and digits.
bool isTemporaryNameOf(std::string_view name, const std::filesystem::path &file)
{
    const std::string prefix = temporaryPrefixFor(file);
    if (name.size() < prefix.size() + kTemporarySuffix.size() || !name.starts_with(prefix) ||
        !name.ends_with(kTemporarySuffix))
        return false;
    const std::string_view random =
        name.substr(prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
    return random.size() >= 6 && random.size() <= 8 &&
           std::all_of(random.begin(), random.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// The file a path names once every symbolic link on the way is followed; the
// path itself when it is no link. A link that points nowhere names the file it
// would point to, which the save then creates.
std::filesystem::path followLinks(const std::filesystem::path &file)
{
    std::filesystem::path p = file;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(p, ec)))
            return p;
        const std::filesystem::path target = std::filesystem::read_symlink(p, ec);
        if (ec)
            throw EFileError("Cannot write file", file, ec.message());
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    throw EFileError::fromErrno("Cannot write file", file, ELOOP);
}

// The process's file-creation mask. The kernel reports it without changing it;
// setting it to read it back would race with files made meanwhile by the
// browser engine's threads.
mode_t currentUmask()
{
    if (FILE *status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Flushes a directory's entries, so that a rename in it is on the disk.
// Filesystems that cannot flush a directory say so with EINVAL; they keep
// their entries by other means.
void syncDirectory(const std::filesystem::path &dir, const std::filesystem::path &file)
{
    Fd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        throw EFileError::fromErrno("Cannot write file", file, errno);
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != ENOTSUP)
        throw EFileError::fromErrno("Cannot write file", file, errno);
}

void writeAll(int fd, std::string_view content, const std::filesystem::path &file)
{
    const char *p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError::fromErrno("Cannot write file", file, errno);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

std::optional<std::string> readIfExists(const std::filesystem::path &file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        // No file at that path, also when a part of the path is no directory.
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        throw EFileError::fromErrno("Cannot open file", file, errno);
    }
    Fd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        throw EFileError::fromErrno("Cannot open file", file, errno);

    // The bytes are read straight into the result, which is made as long as
    // the file first and grown when the file turns out longer (it can grow
    // while it is read, and a special file has no size).
    std::string content;
    std::size_t length = 0;
    content.resize(S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 65536);
    for (;;) {
        if (length == content.size())
            content.resize(content.size() * 2);
        ssize_t n = ::read(fd.get(), content.data() + length, content.size() - length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError::fromErrno("Cannot read file", file, errno);
        }
        if (n == 0)
            break;
        length += static_cast<std::size_t>(n);
    }
    content.resize(length);
    return content;
}

void writeReplacing(const std::filesystem::path &file, std::string_view content, Access access,
                    Durability durability)
{
    const std::filesystem::path target = followLinks(file);
    const std::filesystem::path dir = target.parent_path().empty() ? "." : target.parent_path();

    mode_t mode = 0600;
    if (access == Access::Shared) {
        struct stat old {};
        if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
            mode = old.st_mode & 07777;
        else
            mode = 0666 & ~currentUmask();
    }

    // The system's generator makes a name no other file has, from its own
    // randomness, in every process alike; the file is born owner-only.
    std::string pattern = (dir / (temporaryPrefixFor(target) + "XXXXXX")).string();
    pattern += kTemporarySuffix;
    Fd fd(::mkostemps(pattern.data(), int(kTemporarySuffix.size()), O_CLOEXEC));
    if (fd.get() < 0)
        throw EFileError::fromErrno("Cannot create a temporary file beside", file, errno);
    const std::filesystem::path temp = pattern;

    bool renamed = false;
    try {
        if (mode != 0600 && ::fchmod(fd.get(), mode) != 0)
            throw EFileError::fromErrno("Cannot create a temporary file beside", file, errno);
        writeAll(fd.get(), content, file);
        if (::fsync(fd.get()) != 0)
            throw EFileError::fromErrno("Cannot write file", file, errno);
        if (fd.close() != 0)
            throw EFileError::fromErrno("Cannot write file", file, errno);
        if (::rename(temp.c_str(), target.c_str()) != 0)
            throw EFileError::fromErrno("Cannot write file", file, errno);
        renamed = true;
        if (durability == Durability::FileAndFolder)
            syncDirectory(dir, file);
    } catch (...) {
        fd.reset();
        if (!renamed)
            ::unlink(temp.c_str());
        throw;
    }
}

void removeLeftoverTemporaries(const std::filesystem::path &file)
{
    const std::filesystem::path dir = file.parent_path().empty() ? "." : file.parent_path();
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec), end;
    // A folder that cannot be listed holds nothing this run could remove.
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isTemporaryNameOf(name, file))
            continue;
        std::error_code kind;
        if (std::filesystem::is_directory(it->symlink_status(kind)))
            continue;
        if (::unlink(it->path().c_str()) != 0 && errno != ENOENT)
            throw EFileError::fromErrno("Cannot delete file", it->path(), errno);
    }
}

LineCursor::LineCursor(std::string_view text) : m_text(text)
{
    if (auto zero = m_text.find('\0'); zero != std::string_view::npos)
        m_text = m_text.substr(0, zero);
    m_cr = find('\r');
    m_lf = find('\n');
}

std::size_t LineCursor::find(char c) const
{
    if (m_start >= m_text.size())
        return m_text.size();
    const void *hit = std::memchr(m_text.data() + m_start, c, m_text.size() - m_start);
    return hit ? std::size_t(static_cast<const char *>(hit) - m_text.data()) : m_text.size();
}

bool LineCursor::next(std::string_view &line)
{
    const std::size_t n = m_text.size();
    if (m_start >= n)
        return false;
    if (m_cr < m_start)
        m_cr = find('\r');
    if (m_lf < m_start)
        m_lf = find('\n');
    const std::size_t end = std::min(m_cr, m_lf);
    line = m_text.substr(m_start, end - m_start);
    if (end == n)
        m_start = n;
    else if (end == m_cr && m_lf == end + 1)
        m_start = end + 2;
    else
        m_start = end + 1;
    return true;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    LineCursor cursor(text);
    for (std::string_view line; cursor.next(line);)
        lines.push_back(line);
    return lines;
}

} // namespace TextFile
