#include "OpenInBrowser.h"

#include "BrowserCommand.h"
#include "Errors.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#else
#include "DesktopHandler.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;
#endif

#ifdef _WIN32

std::optional<std::string> RegisteredBrowser()
{
    // The key is only read, never created.
    HKEY key = nullptr;
    std::string command;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "http\\shell\\open\\command", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD type = 0, size = 0;
        LONG rc = RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size);
        if (rc == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
            RegCloseKey(key);
            throw EError("The browser command in the registry is not text");
        }
        if (rc == ERROR_SUCCESS && size > 0) {
            std::string value(size, '\0');
            rc =
                RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(value.data()), &size);
            if (rc == ERROR_SUCCESS) {
                // Taken as stored: expandable text keeps its variables.
                value.resize(size);
                while (!value.empty() && value.back() == '\0')
                    value.pop_back();
                command = value;
            }
        }
        RegCloseKey(key);
    }
    if (command.empty())
        return std::nullopt;
    return BrowserCommand::ProgramFromRegistryCommand(command);
}

namespace {

void startBrowser(const std::string &program, std::string_view address)
{
    // The shell's answer is not looked at: a browser that cannot be started
    // shows nothing.
    const std::string parameters(address);
    ShellExecuteA(nullptr, "open", program.c_str(), parameters.c_str(), nullptr, SW_SHOW);
}

} // namespace

#else

std::optional<std::string> RegisteredBrowser()
{
    const auto entry =
        DesktopHandler::DefaultEntry("x-scheme-handler/http", DesktopHandler::XdgDirs::fromEnvironment());
    if (!entry)
        return std::nullopt;
    const auto exec = DesktopHandler::ExecOf(*entry);
    if (!exec)
        return std::nullopt;
    const auto words = BrowserCommand::SplitExec(*exec);
    if (!words || words->empty() || words->front().empty())
        return std::nullopt;
    return words->front();
}

namespace {

void startBrowser(const std::string &program, std::string_view address)
{
    const std::string argument(address);
    char *argv[] = {const_cast<char *>(program.c_str()), const_cast<char *>(argument.c_str()), nullptr};

    // The browser runs in a session of its own, with the signals it expects:
    // it outlives the program and takes no Ctrl+C meant for it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD})
        sigaddset(&defaults, s);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = 0;
    // A name without a slash is looked up along PATH, as the desktop does.
    const int rc = posix_spawnp(&pid, program.c_str(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0)
        return; // nothing to show: the caller's result does not depend on it
    // Collects the browser's exit status whenever it ends, so that no finished
    // process lingers.
    std::thread([pid] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

} // namespace

#endif

bool OpenInBrowser(std::string_view address)
{
    if (!BrowserCommand::IsSafeArgument(address))
        return false;
    const auto program = RegisteredBrowser();
    if (!program)
        return false;
    startBrowser(*program, address);
    return true;
}
