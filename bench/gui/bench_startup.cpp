// How long the program takes from its start to its first window on the screen,
// beside a bare Qt Widgets window (bare_window.cpp) started the same way in the
// same run. Both run under an Xvfb server of the benchmark's own, drawn in
// software, and report their first frame through FirstFrameReport; the
// benchmark starts them in turn, N times each (first argument, default 15),
// and prints every run, the medians, their ratio and the resident memory each
// process holds at its first frame. Beside the time, the processor time each
// main thread took to get there, which other load on the machine hardly
// changes.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A child process with its standard output on a pipe.
struct Child {
    pid_t pid = -1;
    int out = -1;
};

Child spawn(const std::vector<std::string> &args, const std::vector<std::string> &env, bool quiet)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv;
    for (const auto &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (const auto &e : env)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    Child child;
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    child.out = fds[0];
    return child;
}

// The next line the child writes, or nothing within the time given.
std::optional<std::string> readLine(int fd, int timeoutMs)
{
    std::string line;
    const std::int64_t end = nowNs() + std::int64_t(timeoutMs) * 1000000;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const std::int64_t left = (end - nowNs()) / 1000000;
        if (left <= 0 || poll(&p, 1, int(left)) <= 0)
            return std::nullopt;
        char c;
        const ssize_t n = read(fd, &c, 1);
        if (n <= 0)
            return std::nullopt;
        if (c == '\n')
            return line;
        line += c;
    }
}

void end(Child &child)
{
    if (child.pid > 0) {
        kill(child.pid, SIGTERM);
        int status = 0;
        // A process that does not end on SIGTERM within five seconds is killed.
        for (int i = 0; i < 500 && waitpid(child.pid, &status, WNOHANG) == 0; ++i)
            usleep(10000);
        if (waitpid(child.pid, &status, WNOHANG) == 0) {
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
        }
    }
    if (child.out >= 0)
        close(child.out);
    child = {};
}

// Resident memory of the process in MiB, from /proc.
double residentMiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kib = 0;
            status >> kib;
            return kib / 1024.0;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

// Time the process's main thread has run on a processor, in milliseconds,
// from /proc: unlike the time to the first frame, other load on the machine
// hardly changes it.
double mainThreadCpuMs(pid_t pid)
{
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/schedstat");
    double ns = -1;
    schedstat >> ns;
    return ns < 0 ? -1 : ns / 1e6;
}

struct Sample {
    double ms = -1;
    double cpuMs = -1;
    double rssMiB = -1;
};

// Starts the program, waits for its first frame, notes the time and the
// memory, then ends it.
Sample firstFrame(const std::vector<std::string> &args, const std::vector<std::string> &env)
{
    const std::int64_t start = nowNs();
    Child child = spawn(args, env, true);
    Sample sample;
    if (child.pid <= 0)
        return sample;
    while (const auto line = readLine(child.out, 60000)) {
        if (line->rfind("first-frame ", 0) == 0) {
            sample.ms = double(std::strtoll(line->c_str() + 12, nullptr, 10) - start) / 1e6;
            sample.cpuMs = mainThreadCpuMs(child.pid);
            sample.rssMiB = residentMiB(child.pid);
            break;
        }
    }
    end(child);
    return sample;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// An X server of the benchmark's own; empty display when there is none.
struct XServer {
    Child child;
    std::string display;

    XServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const std::vector<std::string> args{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]),
                                            "-screen",       "0",          "1280x1024x24",
                                            "-nolisten",     "tcp"};
        std::vector<std::string> env;
        for (char **e = environ; *e; ++e)
            env.emplace_back(*e);
        std::vector<char *> argv;
        for (const auto &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            child.pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        child.out = fds[0];
        if (child.pid > 0)
            if (const auto number = readLine(child.out, 30000))
                display = ":" + *number;
    }
    ~XServer() { end(child); }
};

} // namespace

int main(int argc, char **argv)
{
    int runs = 15;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--", 2) != 0)
            runs = std::max(1, std::atoi(argv[i]));

    XServer x;
    if (x.display.empty()) {
        std::fprintf(stderr, "bench_startup: Xvfb did not start (scripts/install-deps.sh installs it)\n");
        return 1;
    }
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("DISPLAY=", 0) != 0 && v.rfind("QT_QPA_PLATFORM=", 0) != 0 &&
            v.rfind("WAYLAND_DISPLAY=", 0) != 0)
            env.push_back(v);
    }
    env.push_back("DISPLAY=" + x.display);
    env.push_back("QT_QPA_PLATFORM=xcb");
    env.push_back("POSTWRIGHT_REPORT_FIRST_FRAME=1");

    char dirTemplate[] = "/tmp/bench_startup.XXXXXX";
    if (!mkdtemp(dirTemplate)) {
        std::perror("bench_startup");
        return 1;
    }
    const std::string appDir = dirTemplate;

    const std::vector<std::string> bare{BARE_WINDOW};
    const std::vector<std::string> program{STARTUP_PROGRAM, appDir};
    std::vector<double> bareMs, programMs, bareCpu, programCpu, bareRss, programRss;
    std::printf("first frame under Xvfb %s, %d runs each, started in turn\n", x.display.c_str(), runs);
    std::printf("%5s %10s %11s %13s %14s %9s %12s\n", "run", "bare ms", "program ms", "bare cpu ms",
                "program cpu ms", "bare MiB", "program MiB");
    for (int i = 0; i < runs; ++i) {
        // The order alternates, so that neither profits from the other's
        // pages left in the cache.
        Sample b, p;
        if (i % 2 == 0) {
            b = firstFrame(bare, env);
            p = firstFrame(program, env);
        } else {
            p = firstFrame(program, env);
            b = firstFrame(bare, env);
        }
        if (b.ms < 0 || p.ms < 0) {
            std::fprintf(stderr, "bench_startup: a process did not report its first frame\n");
            std::filesystem::remove_all(appDir);
            return 1;
        }
        std::printf("%5d %10.1f %11.1f %13.1f %14.1f %9.1f %12.1f\n", i + 1, b.ms, p.ms, b.cpuMs, p.cpuMs, b.rssMiB,
                    p.rssMiB);
        bareMs.push_back(b.ms);
        programMs.push_back(p.ms);
        bareCpu.push_back(b.cpuMs);
        programCpu.push_back(p.cpuMs);
        bareRss.push_back(b.rssMiB);
        programRss.push_back(p.rssMiB);
    }
    std::filesystem::remove_all(appDir);
    const double bm = median(bareMs), pm = median(programMs);
    std::printf("median first frame: bare %.1f ms, program %.1f ms, ratio %.2f\n", bm, pm, pm / bm);
    const double bc = median(bareCpu), pc = median(programCpu);
    std::printf("median main-thread processor time to first frame: bare %.1f ms, program %.1f ms, ratio %.2f\n", bc,
                pc, pc / bc);
    std::printf("median resident memory at first frame: bare %.1f MiB, program %.1f MiB\n", median(bareRss),
                median(programRss));
    return 0;
}
