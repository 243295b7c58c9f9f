// Crash reports under Windows: a child that crashes on purpose leaves
// crash.log with what ended it and a backtrace, and ends as it would have
// without the report; the next start takes the report once.
#include "Check.h"
#include "Scratch.h"
#include "CrashLog.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

volatile int *g_nowhere = nullptr;

// The child: installs the report and crashes the way it is told.
int crash(const std::wstring &how, const fs::path &report)
{
    // No error box and no debugger: the run has no one to answer them.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    CrashLog::install(report, "Tester 1.01");
    if (how == L"access")
        return *g_nowhere;
    if (how == L"abort")
        std::abort();
    return 0;
}

// Starts this program again as a crashing child and gives its exit code.
std::optional<DWORD> runChild(const std::wstring &how, const fs::path &report)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\" " + how + L" \"" + report.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return std::nullopt;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

} // namespace

int main()
{
    // The report's path may hold any character: the wide command line has it.
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3)
        return crash(argv[1], argv[2]);
    LocalFree(argv);

    Check check("tst_win_crashlog");
    const fs::path dir = scratchPath(L"postwright-crash-");
    fs::create_directories(dir);

    struct Case {
        const wchar_t *how;
        const char *name;
        DWORD exitCode;
        std::string header;
    };
    const Case cases[] = {
        {L"access", "access violation", EXCEPTION_ACCESS_VIOLATION,
         "Tester 1.01 ended by exception 3221225477 (access violation) at "},
        {L"abort", "abort", 3, "Tester 1.01 ended by signal 22 (SIGABRT) at "},
    };
    for (const Case &c : cases) {
        const std::string name = c.name;
        const fs::path report = dir / (std::wstring(c.how) + L"-crash.log");
        const std::optional<DWORD> code = runChild(c.how, report);
        check.that(name + ": the child ran", code.has_value());
        check.equal(name + ": the child ends as it would have", std::to_string(code.value_or(0)),
                    std::to_string(c.exitCode));

        const std::optional<std::string> text = CrashLog::take(report);
        check.that(name + ": a report is left", text.has_value());
        const std::string got = text.value_or("");
        check.equal(name + ": the report's first line", got.substr(0, c.header.size()), c.header);
        // The time stands in the form 2026-01-31 12:34:56 UTC.
        const std::size_t at = got.find(" at ");
        check.that(name + ": the report's time", at != std::string::npos && got.size() > at + 27 &&
                                                     got.compare(at + 4 + 19, 5, " UTC.") == 0 &&
                                                     got[at + 8] == '-' && got[at + 14] == ' ');
        const std::size_t backtrace = got.find("\nBacktrace:\n");
        check.that(name + ": the report has a backtrace", backtrace != std::string::npos);
        check.that(name + ": the backtrace names this program",
                   got.find("tst_win_crashlog.exe+0x", backtrace) != std::string::npos);
        check.that(name + ": the report is taken once", !CrashLog::take(report) && !fs::exists(report));
    }

    std::error_code ec;
    fs::remove_all(dir, ec);
    return check.finish();
}
