// The browser the system registers for web addresses, read from the registry
// and cut to its program, and started with the address as its one argument.
// A program of ours stands in for the browser and records what it was given.
#include "BrowserCommand.h"
#include "Check.h"
#include "Scratch.h"
#include "OpenInBrowser.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Where the test registers its stand-in. On Windows the user's own choice,
// under HKEY_CURRENT_USER, which the system shows under HKEY_CLASSES_ROOT over
// the machine's. Wine shows the machine's value there in any case, so under
// Wine the test writes HKEY_CLASSES_ROOT itself, in the Wine prefix the test
// run made for itself.
struct CommandKey {
    HKEY root;
    const char *path;
};

bool underWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

CommandKey commandKey()
{
    if (underWine())
        return {HKEY_CLASSES_ROOT, "http\\shell\\open\\command"};
    return {HKEY_CURRENT_USER, "Software\\Classes\\http\\shell\\open\\command"};
}

std::optional<std::string> readCommand()
{
    const CommandKey k = commandKey();
    char value[4096];
    DWORD size = sizeof value;
    if (RegGetValueA(k.root, k.path, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(value);
}

bool writeCommand(const std::string &command)
{
    const CommandKey k = commandKey();
    HKEY key = nullptr;
    if (RegCreateKeyExA(k.root, k.path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(command.c_str()),
                                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// Puts the registry value back as it was when the test began.
struct RestoreCommand {
    std::optional<std::string> before = readCommand();
    ~RestoreCommand()
    {
        const CommandKey k = commandKey();
        if (before)
            writeCommand(*before);
        else
            RegDeleteKeyValueA(k.root, k.path, nullptr);
    }
};

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

// What the stand-in recorded, once it has: it runs on its own after the
// shell started it. Nothing when it has not written within a minute.
std::optional<std::string> waitForRecord(const fs::path &record)
{
    for (int i = 0; i < 1200; ++i) {
        std::ifstream in(record, std::ios::binary);
        if (in) {
            std::ostringstream s;
            s << in.rdbuf();
            return s.str();
        }
        Sleep(50);
    }
    return std::nullopt;
}

fs::path recorderProgram()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / "record_argument.exe";
}

} // namespace

int main()
{
    Check check("tst_win_opener");
    RestoreCommand restore;

    const fs::path recorder = recorderProgram();
    check.that("the stand-in browser is beside the test", fs::exists(recorder));
    const std::string path = recorder.string();
    // The registry holds the path in its own case; the cut lowers A to Z.
    std::string upper = path;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });

    const fs::path dir = scratchPath(L"postwright-opener-");
    fs::create_directories(dir);

    struct Case {
        const char *name;
        std::string command;
        const char *address;
    };
    const Case cases[] = {
        {"quoted path with options and placeholder", "\"" + path + "\" -osint -url \"%1\"",
         "http://127.0.0.1:9/help?x=1&y=2"},
        {"path in capitals, unquoted, with an option", upper + " -nohome", "http://127.0.0.1:9/Make%20Money"},
        {"quotes inside the path", "\"" + path.substr(0, 3) + "\"" + path.substr(3) + "\"",
         "http://127.0.0.1:9/"},
    };

    int index = 0;
    for (const Case &c : cases) {
        const std::string name = c.name;
        if (!check.that(name + ": registry value written", writeCommand(c.command)))
            continue;
        const std::string program = lowered(path);
        check.equal(name + ": cut", BrowserCommand::ProgramFromRegistryCommand(c.command), program);
        const std::optional<std::string> registered = RegisteredBrowser();
        // Only our stand-in is ever started: any other program would be a
        // real browser.
        if (!check.equal(name + ": registered browser read back", registered.value_or("(none)"), program))
            continue;

        const fs::path record = dir / ("record" + std::to_string(index++) + ".txt");
        SetEnvironmentVariableA("POSTWRIGHT_RECORD_TO", record.string().c_str());
        check.that(name + ": opened", OpenInBrowser(c.address));
        check.equal(name + ": the browser's arguments", waitForRecord(record).value_or("(not started)"),
                    std::string("1\n") + c.address + "\n");
    }

    // An address that a browser would take for an option starts nothing,
    // even with a browser registered.
    writeCommand("\"" + path + "\" \"%1\"");
    check.equal("the stand-in is registered", RegisteredBrowser().value_or("(none)"), lowered(path));
    check.that("an address beginning with - is not opened", !OpenInBrowser("-remote-debugging-port=1"));

    std::error_code ec;
    fs::remove_all(dir, ec);
    return check.finish();
}
