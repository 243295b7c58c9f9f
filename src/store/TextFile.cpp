#include "TextFile.h"

#include "Errors.h"

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#ifdef _WIN32
#include <windows.h>

#include <random>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace TextFile {
namespace {

#ifndef _WIN32
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

#endif

constexpr std::string_view kTemporarySuffix = ".tmp";

// File names in the system's own form: bytes here, UTF-16 on Windows, where a
// name need not fit any 8-bit code page.
using NameString = std::filesystem::path::string_type;
using NameView = std::basic_string_view<std::filesystem::path::value_type>;

// ".Forums.dat." in front of the random part of a temporary file's name.
NameString temporaryPrefixFor(const std::filesystem::path &file)
{
    NameString prefix(1, '.');
    prefix += file.filename().native();
    prefix += '.';
    return prefix;
}

NameString temporarySuffix()
{
    return NameString(kTemporarySuffix.begin(), kTemporarySuffix.end());
}

bool isNameLetterOrDigit(std::filesystem::path::value_type c)
{
#ifdef _WIN32
    return c < 0x80 && std::isalnum(static_cast<int>(c));
#else
    return std::isalnum(static_cast<unsigned char>(c));
#endif
}

// Whether name is one of the temporary names that saves of file use. Earlier
// versions of the program made eight lower-case letters and digits, the
// system's generator makes six letters and digits.
bool isTemporaryNameOf(NameView name, const std::filesystem::path &file)
{
    const NameString prefix = temporaryPrefixFor(file);
    const NameString suffix = temporarySuffix();
    if (name.size() < prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
        return false;
    const NameView random = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    return random.size() >= 6 && random.size() <= 8 && std::all_of(random.begin(), random.end(), isNameLetterOrDigit);
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

#ifdef _WIN32
// Closes a handle on every path out of a function.
class Handle {
public:
    explicit Handle(HANDLE h) : m_h(h) {}
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    ~Handle() { reset(); }
    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != INVALID_HANDLE_VALUE; }
    // Closes now and reports the outcome, for the write path.
    bool close()
    {
        const bool ok = CloseHandle(m_h) != 0;
        m_h = INVALID_HANDLE_VALUE;
        return ok;
    }
    void reset()
    {
        if (valid())
            CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_h;
};

// A security descriptor that lets the user running the program, and nobody
// else, at a file: the folder's inherited permissions do not apply to it.
class OwnerOnly {
public:
    OwnerOnly()
    {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        DWORD size = sizeof m_user;
        const bool gotUser = GetTokenInformation(token, TokenUser, m_user, size, &size) != 0;
        CloseHandle(token);
        if (!gotUser)
            return;
        const PSID sid = reinterpret_cast<TOKEN_USER *>(m_user)->User.Sid;
        const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid) - sizeof(DWORD);
        auto *acl = reinterpret_cast<ACL *>(m_acl);
        m_ok = aclSize <= sizeof m_acl && InitializeAcl(acl, aclSize, ACL_REVISION) &&
               AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid) &&
               InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
               SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE) &&
               SetSecurityDescriptorControl(&m_descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
        m_attributes = {sizeof m_attributes, &m_descriptor, FALSE};
    }
    bool ok() const { return m_ok; }
    SECURITY_ATTRIBUTES *attributes() { return &m_attributes; }

private:
    alignas(8) unsigned char m_user[256];
    alignas(8) unsigned char m_acl[256];
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{};
    bool m_ok = false;
};

void writeAll(HANDLE h, std::string_view content, const std::filesystem::path &file)
{
    const char *p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1 << 24));
        DWORD written = 0;
        if (!WriteFile(h, p, chunk, &written, nullptr))
            throw EFileError::fromSystemError("Cannot write file", file, GetLastError());
        p += written;
        left -= written;
    }
}

// Six letters and digits from the system's randomness, as the POSIX
// generator makes them.
NameString randomPart()
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<int> pick(0, int(sizeof kLetters) - 2);
    NameString out;
    for (int i = 0; i < 6; ++i)
        out += static_cast<std::filesystem::path::value_type>(kLetters[pick(random)]);
    return out;
}

#else
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

#endif

} // namespace

#ifdef _WIN32
std::optional<std::string> readIfExists(const std::filesystem::path &file)
{
    Handle h(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) {
        const DWORD code = GetLastError();
        // No file at that path, also when a part of the path is missing.
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        throw EFileError::fromSystemError("Cannot open file", file, code);
    }
    std::string content;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.get(), &size) && size.QuadPart > 0)
        content.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr))
            throw EFileError::fromSystemError("Cannot read file", file, GetLastError());
        if (n == 0)
            break;
        content.append(buffer, n);
    }
    return content;
}

void writeReplacing(const std::filesystem::path &file, std::string_view content, Access access,
                    Durability durability)
{
    const std::filesystem::path target = followLinks(file);
    const std::filesystem::path dir = target.parent_path().empty() ? "." : target.parent_path();

    // A private file is born owner-only and the move keeps its permissions;
    // a shared one takes the folder's, as every new file there does.
    OwnerOnly ownerOnly;
    if (access == Access::Private && !ownerOnly.ok())
        throw EFileError::fromSystemError("Cannot create a temporary file beside", file, GetLastError());
    SECURITY_ATTRIBUTES *security = access == Access::Private ? ownerOnly.attributes() : nullptr;

    // A new name each try; CREATE_NEW fails rather than open a file that is there.
    std::filesystem::path temp;
    HANDLE created = INVALID_HANDLE_VALUE;
    DWORD code = ERROR_FILE_EXISTS;
    for (int tries = 0; tries < 100 && code == ERROR_FILE_EXISTS; ++tries) {
        temp = dir / (temporaryPrefixFor(target) + randomPart() + temporarySuffix());
        created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, security, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        code = created == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    }
    Handle h(created);
    if (!h.valid())
        throw EFileError::fromSystemError("Cannot create a temporary file beside", file, code);

    bool renamed = false;
    try {
        writeAll(h.get(), content, file);
        if (!FlushFileBuffers(h.get()))
            throw EFileError::fromSystemError("Cannot write file", file, GetLastError());
        if (!h.close())
            throw EFileError::fromSystemError("Cannot write file", file, GetLastError());
        // Write-through returns once the rename is on the disk: Windows has no
        // separate flush of a folder.
        DWORD flags = MOVEFILE_REPLACE_EXISTING;
        if (durability == Durability::FileAndFolder)
            flags |= MOVEFILE_WRITE_THROUGH;
        if (!MoveFileExW(temp.c_str(), target.c_str(), flags))
            throw EFileError::fromSystemError("Cannot write file", file, GetLastError());
        renamed = true;
    } catch (...) {
        h.reset();
        if (!renamed)
            DeleteFileW(temp.c_str());
        throw;
    }
}

void appendLines(const std::filesystem::path &file, std::string_view header, std::string_view lines)
{
    Handle h(CreateFileW(file.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid())
        throw EFileError::fromSystemError("Cannot open file", file, GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size))
        throw EFileError::fromSystemError("Cannot read file", file, GetLastError());
    std::string out;
    if (size.QuadPart == 0) {
        out = header;
    } else {
        char last = 0;
        DWORD n = 0;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>((size.QuadPart - 1) & 0xFFFFFFFF);
        at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
        if (!ReadFile(h.get(), &last, 1, &n, &at))
            throw EFileError::fromSystemError("Cannot read file", file, GetLastError());
        if (n == 1 && last != '\n' && last != '\r')
            out = "\r\n";
    }
    out += lines;
    const char *p = out.data();
    std::size_t left = out.size();
    while (left > 0) {
        // Both offsets all ones: at the end of the file, whatever was read.
        OVERLAPPED end{};
        end.Offset = 0xFFFFFFFF;
        end.OffsetHigh = 0xFFFFFFFF;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1 << 24));
        DWORD written = 0;
        if (!WriteFile(h.get(), p, chunk, &written, &end))
            throw EFileError::fromSystemError("Cannot write file", file, GetLastError());
        p += written;
        left -= written;
    }
    if (!FlushFileBuffers(h.get()))
        throw EFileError::fromSystemError("Cannot write file", file, GetLastError());
    if (!h.close())
        throw EFileError::fromSystemError("Cannot write file", file, GetLastError());
}

#else
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
    std::string pattern = (dir / (temporaryPrefixFor(target) + "XXXXXX")).native();
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

void appendLines(const std::filesystem::path &file, std::string_view header, std::string_view lines)
{
    // Read and write, to look at the last byte; every write still goes to the end.
    Fd fd(::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        throw EFileError::fromErrno("Cannot open file", file, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        throw EFileError::fromErrno("Cannot read file", file, errno);
    const bool fresh = st.st_size == 0;
    std::string out;
    if (fresh) {
        out = header;
    } else if (S_ISREG(st.st_mode)) {
        char last = 0;
        const ssize_t n = ::pread(fd.get(), &last, 1, st.st_size - 1);
        if (n < 0)
            throw EFileError::fromErrno("Cannot read file", file, errno);
        if (n == 1 && last != '\n' && last != '\r')
            out = "\r\n";
    }
    out += lines;
    writeAll(fd.get(), out, file);
    if (::fsync(fd.get()) != 0)
        throw EFileError::fromErrno("Cannot write file", file, errno);
    if (fd.close() != 0)
        throw EFileError::fromErrno("Cannot write file", file, errno);
    // A file made just now has its name on the disk too.
    if (fresh) {
        const std::filesystem::path dir = file.parent_path().empty() ? "." : file.parent_path();
        syncDirectory(dir, file);
    }
}

#endif

void removeLeftoverTemporaries(const std::filesystem::path &file)
{
    const std::filesystem::path dir = file.parent_path().empty() ? "." : file.parent_path();
    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec), end;
    // A folder that cannot be listed holds nothing this run could remove.
    for (; !ec && it != end; it.increment(ec)) {
        if (!isTemporaryNameOf(it->path().filename().native(), file))
            continue;
        std::error_code kind;
        if (std::filesystem::is_directory(it->symlink_status(kind)))
            continue;
#ifdef _WIN32
        if (!DeleteFileW(it->path().c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
            throw EFileError::fromSystemError("Cannot delete file", it->path(), GetLastError());
#else
        if (::unlink(it->path().c_str()) != 0 && errno != ENOENT)
            throw EFileError::fromErrno("Cannot delete file", it->path(), errno);
#endif
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
