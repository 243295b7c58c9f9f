#include "Errors.h"

#include <cstring>
#ifdef _WIN32
#include <windows.h>
#endif

EFileError::EFileError(std::string action, std::filesystem::path file, std::string reason)
    : EError(action + " \"" + file.string() + "\": " + reason), m_file(std::move(file)),
      m_reason(std::move(reason))
{
}

EFileError EFileError::fromErrno(std::string action, std::filesystem::path file, int err)
{
    return EFileError(std::move(action), std::move(file), std::strerror(err));
}

#ifdef _WIN32
EFileError EFileError::fromSystemError(std::string action, std::filesystem::path file, unsigned long code)
{
    char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                             sizeof text, nullptr);
    // The system's texts end in a full stop and a line break.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ' || text[n - 1] == '.'))
        --n;
    std::string reason = n > 0 ? std::string(text, n) : "error " + std::to_string(code);
    return EFileError(std::move(action), std::move(file), std::move(reason));
}
#endif

EListError::EListError(long long index)
    : EError("List index out of bounds (" + std::to_string(index) + ")")
{
}
