#include "CrashLog.h"

#include "Errors.h"
#include "TextFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#ifdef _WIN32
#include <windows.h>
#else
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace CrashLog {
namespace {

// Everything the handler needs is made before any signal comes: it may not
// allocate, lock or format through the C library.
char g_program[256];
std::atomic<bool> g_reporting{false};

#ifdef _WIN32
using Sink = HANDLE;
wchar_t g_path[4096];

void put(Sink out, const char *text)
{
    std::size_t left = std::strlen(text);
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1 << 20));
        if (!WriteFile(out, text, chunk, &written, nullptr) || written == 0)
            return;
        text += written;
        left -= written;
    }
}
#else
using Sink = int;
constexpr int kFatalSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
char g_path[4096];
alignas(16) char g_altStack[256 * 1024];

void put(Sink fd, const char *text)
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
#endif

void putNumber(Sink fd, long long value)
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

void putTwoDigits(Sink fd, long long value)
{
    if (value < 10)
        put(fd, "0");
    putNumber(fd, value);
}

// The moment as a UTC date and time, by arithmetic alone: the C library's
// time formatting may lock or allocate.
void putUtcTime(Sink fd, long long seconds)
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

// Both ends of the copy are plain characters of one width.
template <typename Char>
void copyInto(Char *to, std::size_t size, std::basic_string_view<Char> from)
{
    const std::size_t n = std::min(size - 1, from.size());
    std::memcpy(to, from.data(), n * sizeof(Char));
    to[n] = Char();
}

#ifdef _WIN32
// The report is written from the unhandled-exception filter, on the faulting
// thread, with kernel calls alone: no allocation, no C library formatting.
void writeReport(const char *what, unsigned long code, const char *name)
{
    if (g_reporting.exchange(true))
        return;
    const HANDLE out = CreateFileW(g_path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return;
    put(out, g_program);
    put(out, what);
    putNumber(out, static_cast<long long>(code));
    put(out, " (");
    put(out, name);
    put(out, ") at ");
    // 100-nanosecond steps since 1601-01-01, the system clock's own form.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    putUtcTime(out, static_cast<long long>(ticks / 10000000ULL) - 11644473600LL);
    put(out, ".\nBacktrace:\n");
    void *frames[128];
    const USHORT n = CaptureStackBackTrace(0, 128, frames, nullptr);
    for (USHORT i = 0; i < n; ++i) {
        // Each frame as its module and the offset in it, which a map file or
        // debugger turns into a function.
        char module[MAX_PATH] = "?";
        HMODULE handle = nullptr;
        unsigned long long offset = reinterpret_cast<unsigned long long>(frames[i]);
        if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                               static_cast<LPCSTR>(frames[i]), &handle) &&
            GetModuleFileNameA(handle, module, sizeof module) > 0)
            offset -= reinterpret_cast<unsigned long long>(handle);
        put(out, module);
        put(out, "+0x");
        char hex[17];
        char *p = hex + sizeof hex;
        *--p = '\0';
        do {
            *--p = "0123456789abcdef"[offset & 0xf];
            offset >>= 4;
        } while (offset != 0);
        put(out, p);
        put(out, "\n");
    }
    FlushFileBuffers(out);
    CloseHandle(out);
}

const char *exceptionName(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "access violation";
    case EXCEPTION_STACK_OVERFLOW: return "stack overflow";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "illegal instruction";
    case EXCEPTION_PRIV_INSTRUCTION: return "privileged instruction";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "integer division by zero";
    case EXCEPTION_INT_OVERFLOW: return "integer overflow";
    case EXCEPTION_IN_PAGE_ERROR: return "page error";
    case EXCEPTION_DATATYPE_MISALIGNMENT: return "misaligned data";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "array bounds exceeded";
    default: return "exception";
    }
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS *info)
{
    const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode : 0;
    writeReport(" ended by exception ", code, exceptionName(code));
    // The system goes on as it would have without us and ends the program
    // with the exception's code.
    return EXCEPTION_CONTINUE_SEARCH;
}

// abort(), also from std::terminate, raises SIGABRT, which no exception filter sees.
extern "C" void onAbort(int signal)
{
    writeReport(" ended by signal ", static_cast<unsigned long>(signal), "SIGABRT");
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

void install(const std::filesystem::path &file, std::string_view program)
{
    copyInto<wchar_t>(g_path, sizeof g_path / sizeof g_path[0], file.native());
    copyInto<char>(g_program, sizeof g_program, program);

    // Room on the stack for the report when the stack itself overflowed.
    ULONG reserve = 64 * 1024;
    SetThreadStackGuarantee(&reserve);
    // The first stack capture and module look-up load what they need now, not
    // inside the filter.
    void *frame[1];
    CaptureStackBackTrace(0, 1, frame, nullptr);

    SetUnhandledExceptionFilter(onUnhandledException);
    ::signal(SIGABRT, onAbort);
}

#else
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

} // namespace

void install(const std::filesystem::path &file, std::string_view program)
{
    copyInto<char>(g_path, sizeof g_path, file.native());
    copyInto<char>(g_program, sizeof g_program, program);

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

#endif

std::optional<std::string> take(const std::filesystem::path &file)
{
    std::optional<std::string> report = TextFile::readIfExists(file);
#ifdef _WIN32
    std::error_code ec;
    if (report && !std::filesystem::remove(file, ec) && ec)
        throw EFileError("Cannot delete file", file, ec.message());
#else
    if (report && ::unlink(file.c_str()) != 0 && errno != ENOENT)
        throw EFileError::fromErrno("Cannot delete file", file, errno);
#endif
    return report;
}

} // namespace CrashLog
