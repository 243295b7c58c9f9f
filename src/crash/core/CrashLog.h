#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// "crash.log" beside the program: what the program knew when a fatal signal
// ended it (SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL), with a backtrace.
namespace CrashLog {

// From now on a fatal signal writes a report to file, then ends the program
// as the signal would have. program names the program and its version in the
// report. The handler uses only calls that are safe inside a signal handler,
// on a stack of its own, so that a stack overflow is reported too.
void install(const std::filesystem::path &file, std::string_view program);

// The report an earlier run left, which is then removed so that it is shown
// once; nothing when there is none. Raises EFileError when the report cannot be
// read or removed.
std::optional<std::string> take(const std::filesystem::path &file);

} // namespace CrashLog
