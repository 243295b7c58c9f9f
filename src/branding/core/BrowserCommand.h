#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Turning the command the system registers for web addresses into the program
// that is started.
namespace BrowserCommand {

// The Windows registry's command for web addresses cut to the browser's path:
// A to Z in small letters, everything after the first ".exe" dropped, every
// double quote removed. A command without ".exe" gives ".exe" alone.
std::string ProgramFromRegistryCommand(std::string_view command);

// The words of a desktop entry's Exec value, by the Desktop Entry quoting
// rules: first the escapes of a string value (\s, \n, \t, \r, \\), then the
// words, separated by blanks, where a word may be double-quoted and a
// backslash inside quotes makes the next ", `, $ or \ literal; "%%" stands for
// "%". Field codes such as %u are left as they are. Nothing when a quote is
// left open.
std::optional<std::vector<std::string>> SplitExec(std::string_view exec);

// Whether an address may be handed to a browser as its argument: one that
// begins with "-" would be read as an option.
bool IsSafeArgument(std::string_view address);

} // namespace BrowserCommand
