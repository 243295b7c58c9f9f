#include "DownloadFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#endif

namespace {

// The file calls by the system's own form of a path: wide on Windows, where
// the file is written in binary mode, byte for byte.
int removeFile(const std::filesystem::path &path)
{
#ifdef _WIN32
    return ::_wunlink(path.c_str());
#else
    return ::unlink(path.c_str());
#endif
}

int createFile(const std::filesystem::path &path)
{
#ifdef _WIN32
    return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
#endif
}

void writeAll(int fd, const std::string &bytes, const std::filesystem::path &path)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError::fromErrno("write", path, errno);
        }
        done += static_cast<std::size_t>(n);
    }
}

} // namespace

bool DownloadFile(THttpClient &client, const std::string &source, const std::filesystem::path &path)
{
    if (removeFile(path) != 0 && errno != ENOENT)
        throw EFileError::fromErrno("delete", path, errno);
    int fd = createFile(path);
    if (fd < 0)
        throw EFileError::fromErrno("create", path, errno);

    auto discard = [&] {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        removeFile(path);
    };
    try {
        const std::optional<std::string> body = client.Get(source);
        if (body)
            writeAll(fd, *body, path);
        const int rc = ::close(fd);
        fd = -1;
        if (rc != 0)
            throw EFileError::fromErrno("close", path, errno);
        return true;
    } catch (const ETransferCancelled &) {
        discard();
        throw;
    } catch (...) {
        discard();
        return false;
    }
}
