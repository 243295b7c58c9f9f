#include "BrowserCommand.h"

#include "UUtils.h"

#include <algorithm>

namespace BrowserCommand {

std::string ProgramFromRegistryCommand(std::string_view command)
{
    const std::string lower = UUtils::AsciiLowerCase(command);
    const std::size_t exe = lower.find(".exe");
    std::string program = (exe == std::string::npos ? std::string() : lower.substr(0, exe)) + ".exe";
    program.erase(std::remove(program.begin(), program.end(), '"'), program.end());
    return program;
}

namespace {

// The escapes every string value of a desktop entry may hold. Other
// backslashes stay for the quoting rules to read.
std::string unescapeString(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            switch (value[i + 1]) {
            case 's':
                out += ' ';
                ++i;
                continue;
            case 'n':
                out += '\n';
                ++i;
                continue;
            case 't':
                out += '\t';
                ++i;
                continue;
            case 'r':
                out += '\r';
                ++i;
                continue;
            case '\\':
                out += '\\';
                ++i;
                continue;
            default:
                break;
            }
        }
        out += value[i];
    }
    return out;
}

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

} // namespace

std::optional<std::vector<std::string>> SplitExec(std::string_view exec)
{
    const std::string text = unescapeString(exec);
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < text.size() &&
                       std::string_view("\"`$\\").find(text[i + 1]) != std::string_view::npos) {
                word += text[++i];
            } else if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') {
                word += text[++i];
            } else {
                word += c;
            }
            continue;
        }
        if (isSeparator(c)) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"')
            quoted = true;
        else if (c == '%' && i + 1 < text.size() && text[i + 1] == '%')
            word += text[++i];
        else
            word += c;
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

bool IsSafeArgument(std::string_view address)
{
    return !address.starts_with('-');
}

} // namespace BrowserCommand
