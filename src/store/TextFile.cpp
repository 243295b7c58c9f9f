#include "TextFile.h"

#include "Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
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

std::string temporaryNameFor(const std::filesystem::path &file)
{
    static std::mt19937_64 rng{std::random_device{}()};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string name = "." + file.filename().string() + ".";
    for (int i = 0; i < 8; ++i)
        name += digits[rng() % 36];
    return name + ".tmp";
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

    std::string content;
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        content.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError::fromErrno("Cannot read file", file, errno);
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    return content;
}

void writeReplacing(const std::filesystem::path &file, std::string_view content, Access access)
{
    // The mode a new file gets; a file that is already there keeps its own.
    mode_t mode = access == Access::Private ? 0600 : 0666;
    bool keepMode = false;
    struct stat old {};
    if (::stat(file.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        mode = old.st_mode & 07777;
        keepMode = true;
    }

    const std::filesystem::path dir = file.parent_path().empty() ? "." : file.parent_path();
    std::filesystem::path temp;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        temp = dir / temporaryNameFor(file);
        // The umask applies to a new file; Private stays owner-only whatever it is.
        raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, keepMode ? 0600 : mode);
        if (raw < 0 && errno != EEXIST)
            throw EFileError::fromErrno("Cannot create file", file, errno);
    }
    if (raw < 0)
        throw EFileError::fromErrno("Cannot create file", file, EEXIST);

    Fd fd(raw);
    try {
        if (keepMode && ::fchmod(fd.get(), mode) != 0)
            throw EFileError::fromErrno("Cannot create file", file, errno);
        writeAll(fd.get(), content, file);
        if (::fsync(fd.get()) != 0)
            throw EFileError::fromErrno("Cannot write file", file, errno);
        if (fd.close() != 0)
            throw EFileError::fromErrno("Cannot write file", file, errno);
        if (::rename(temp.c_str(), file.c_str()) != 0)
            throw EFileError::fromErrno("Cannot write file", file, errno);
    } catch (...) {
        fd.reset();
        ::unlink(temp.c_str());
        throw;
    }
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    if (auto zero = text.find('\0'); zero != std::string_view::npos)
        text = text.substr(0, zero);

    std::vector<std::string_view> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t i = start;
        while (i < n && text[i] != '\r' && text[i] != '\n')
            ++i;
        lines.push_back(text.substr(start, i - start));
        if (i < n && text[i] == '\r' && i + 1 < n && text[i + 1] == '\n')
            i += 2;
        else if (i < n)
            i += 1;
        start = i;
    }
    return lines;
}

} // namespace TextFile
