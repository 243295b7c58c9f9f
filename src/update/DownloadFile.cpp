#include "DownloadFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

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
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw EFileError::fromErrno("delete", path, errno);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EFileError::fromErrno("create", path, errno);

    auto discard = [&] {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        ::unlink(path.c_str());
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
