#include "CrashLog.h"

#include "Errors.h"
#include "TextFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

namespace CrashLog {
namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

// Everything the handler needs is made before any signal comes: it may not
// allocate, lock or format through the C library.
char g_path[4096];
char g_program[256];
std::atomic<bool> g_reporting{false};
alignas(16) char g_altStack[256 * 1024];

void put(int fd, const char *text)
{
    std::size_t left = std::strlen(text);
    while (left > 0) {
        const ssize_t n = ::write(fd, text, left);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return;
        }
        text += n;
        left -= static_cast<std::size_t>(n);
    }
}

void putNumber(int fd, long long value)
{
    char digits[24];
    char *p = digits + sizeof digits;
    *--p = '\0';
    const bool negative = value < 0;
    unsigned long long v = negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative)
        *--p = '-';
    put(fd, p);
}

void putTwoDigits(int fd, long long value)
{
    if (value < 10)
        put(fd, "0");
    putNumber(fd, value);
}

// The moment as a UTC date and time, by arithmetic alone: the C library's
// time formatting may lock or allocate.
void putUtcTime(int fd, long long seconds)
{
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    // Days since 1970-01-01 to a civil date, in 400-year eras of 146097 days.
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    putNumber(fd, year);
    put(fd, "-");
    putTwoDigits(fd, month);
    put(fd, "-");
    putTwoDigits(fd, day);
    put(fd, " ");
    putTwoDigits(fd, rest / 3600);
    put(fd, ":");
    putTwoDigits(fd, rest / 60 % 60);
    put(fd, ":");
    putTwoDigits(fd, rest % 60);
    put(fd, " UTC");
}

const char *signalName(int signal)
{
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGABRT: return "SIGABRT";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    default: return "?";
    }
}

extern "C" void onFatalSignal(int signal)
{
    // A second fatal signal, in this thread or another, finds the default
    // action in place (SA_RESETHAND) or this flag set, and ends the program.
    if (!g_reporting.exchange(true)) {
        const int fd = ::open(g_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd >= 0) {
            put(fd, g_program);
            put(fd, " ended by signal ");
            putNumber(fd, signal);
            put(fd, " (");
            put(fd, signalName(signal));
            put(fd, ") at ");
            putUtcTime(fd, static_cast<long long>(::time(nullptr)));
            put(fd, ".\nBacktrace:\n");
            void *frames[128];
            const int n = ::backtrace(frames, 128);
            ::backtrace_symbols_fd(frames, n, fd);
            ::fsync(fd);
            ::close(fd);
        }
    }
    // The handler is reset to the default, so the signal, raised again or met
    // again when the faulting instruction runs once more, ends the program as
    // it would have without us.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void copyInto(char *to, std::size_t size, std::string_view from)
{
    const std::size_t n = std::min(size - 1, from.size());
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

} // namespace

void install(const std::filesystem::path &file, std::string_view program)
{
    copyInto(g_path, sizeof g_path, file.native());
    copyInto(g_program, sizeof g_program, program);

    // The first backtrace() loads the unwinder, which allocates: do it now,
    // not inside the handler.
    void *frame[1];
    ::backtrace(frame, 1);

    stack_t stack{};
    stack.ss_sp = g_altStack;
    stack.ss_size = sizeof g_altStack;
    ::sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_handler = onFatalSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK | SA_RESETHAND | SA_NODEFER;
    for (int s : kFatalSignals)
        ::sigaction(s, &action, nullptr);
}

std::optional<std::string> take(const std::filesystem::path &file)
{
    std::optional<std::string> report = TextFile::readIfExists(file);
    if (report && ::unlink(file.c_str()) != 0 && errno != ENOENT)
        throw EFileError::fromErrno("Cannot delete file", file, errno);
    return report;
}

} // namespace CrashLog
