#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

// Every failure the program raises derives from EError, so the general error
// handler can show its text without knowing where it came from.
class EError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that could not be opened, read, created or written. The text names the
// file and carries the system's reason, so the user can see what to fix.
class EFileError : public EError {
public:
    EFileError(std::string action, std::filesystem::path file, std::string reason);

    const std::filesystem::path &file() const { return m_file; }
    const std::string &reason() const { return m_reason; }

    // Builds the error for the current errno.
    static EFileError fromErrno(std::string action, std::filesystem::path file, int err);
#ifdef _WIN32
    // Builds the error for a Windows error code, as GetLastError() gives it.
    static EFileError fromSystemError(std::string action, std::filesystem::path file, unsigned long code);
#endif

private:
    std::filesystem::path m_file;
    std::string m_reason;
};

// A list position outside 0..count-1.
class EListError : public EError {
public:
    explicit EListError(long long index);
};
