// Throughput of the link and e-mail markup on ordinary and on hostile messages,
// at 1 MB and 10 MB: the time must grow with the length of the text alone.
//
// Beside it run two references on the same machine in the same run: memcpy of
// a buffer larger than the caches (the most any pass over a text can reach, as
// the memory allows), and an RE2 scan for the e-mail addresses of the same
// texts. The end of the output sets the markup against them as ratios, which
// hold from one machine and one load to another far better than times do, and
// sets the ratios against the goals.
//
// Each benchmark runs 9 times and reports its median; --benchmark_repetitions
// sets another number.
#include "Markup.h"

#include <benchmark/benchmark.h>

#include <re2/re2.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr std::size_t MB = std::size_t(1) << 20;
// The size of the memcpy reference; it is made larger when the last-level
// cache would hold it.
constexpr std::size_t copyReferenceSize = 64 * MB;

// The goals, as ratios of throughput in one run: ordinary prose at half the
// memory-bound copy; dense e-mail addresses at twice the 0.02 of it that the
// markup reached while it scanned the text four times and built the result in
// two walks; the worst case for an at-sign scanner at 1.5 times RE2's DFA.
constexpr double proseGoal = 0.5;
constexpr double emailsBefore = 0.02, emailsGoal = 2.0;
constexpr double atSignsGoal = 1.5;

// Repeats the pieces a generator gives until the text is `size` bytes long.
std::string build(std::size_t size, const std::function<std::string(std::mt19937 &)> &piece)
{
    std::mt19937 rng(12345);
    std::string s;
    s.reserve(size + 256);
    while (s.size() < size)
        s += piece(rng);
    s.resize(size);
    return s;
}

// Prose in lines, with now and then a web address or an e-mail address.
std::string mixedPiece(std::mt19937 &rng)
{
    static const char *const words[] = {"the",     "forum",   "message", "posting", "about",    "which",
                                        "will",    "support", "Thanks",  "and",     "of",       "a",
                                        "to",      "in",      "is",      "reply",   "software", "download",
                                        "version", "new",     "update",  "free"};
    const int n = std::uniform_int_distribution<int>(0, 99)(rng);
    if (n == 0)
        return "http://www.example.com/forum/viewtopic.php?t=" + std::to_string(rng() % 100000) + " ";
    if (n == 1)
        return "user" + std::to_string(rng() % 1000) + "@mail.example.org ";
    if (n < 6)
        return ".\r\n";
    if (n < 12)
        return ", ";
    return std::string(words[rng() % std::size(words)]) + " ";
}

struct Input {
    const char *name;
    std::function<std::string(std::mt19937 &)> piece;
};

const Input inputs[] = {
    {"mixed prose", mixedPiece},
    // No space anywhere: the whole text is one address.
    {"http:// without spaces", [](std::mt19937 &) { return std::string("http://"); }},
    // No space anywhere: every comma ends an address.
    {"http:// ended by commas", [](std::mt19937 &) { return std::string("http://a.example/p,"); }},
    // Secure addresses, and "s" before every colon that is no scheme's.
    {"https:// ended by commas", [](std::mt19937 &) { return std::string("https://a.example/p,"); }},
    {"s: without a scheme", [](std::mt19937 &) { return std::string("xs:/s:"); }},
    {"e-mail addresses",
     [](std::mt19937 &rng) { return "name.n" + std::to_string(rng() % 1000) + "@mail.example.com, "; }},
    {"letters and dots", [](std::mt19937 &) { return std::string("abcde.fgh.ij.klmno.p."); }},
    // Every at sign has a name in front and a domain behind it.
    {"letters, dots and at signs", [](std::mt19937 &) { return std::string("ab.cd@ef.gh@"); }},
    // Every at sign has a name in front and a label behind it, but no domain
    // is ever complete: the worst case of a scanner that tries each at sign.
    {"a@a@a@", [](std::mt19937 &) { return std::string("a@"); }},
};

const Input &input(std::string_view name)
{
    for (const Input &in : inputs)
        if (name == in.name)
            return in;
    std::abort();
}

const std::string &text(const Input &in, std::size_t size)
{
    static std::map<std::pair<const Input *, std::size_t>, std::string> cache;
    auto &s = cache[{&in, size}];
    if (s.empty())
        s = build(size, in.piece);
    return s;
}

const TFormats &htmlFormats()
{
    // The list only lives in memory here: it never reads or writes its file.
    static TFormats formats(std::filesystem::temp_directory_path());
    if (formats.count() == 0)
        formats.append("html",
                       std::make_unique<TFormat>(TFormat{"html", "<a href=\"", "\">", "</a>", "mailto:"}));
    return formats;
}

void markup(benchmark::State &state, const Input *in)
{
    const std::string &s = text(*in, std::size_t(state.range(0)));
    std::size_t out = 0;
    for (auto _ : state) {
        std::string marked = MarkupText(s, 0, htmlFormats());
        out = marked.size();
        benchmark::DoNotOptimize(marked.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(s.size()));
    state.counters["out/in"] = double(out) / double(s.size());
}

// The least any pass over the text costs: one copy. At 10 MB the text and its
// copy no longer fit the processor's first caches, so this shows how much of
// the 10 MB / 1 MB ratio comes from the memory alone.
void copyOnly(benchmark::State &state, const Input *in)
{
    const std::string &s = text(*in, std::size_t(state.range(0)));
    for (auto _ : state) {
        std::string copy(s);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(s.size()));
}

// memcpy between two buffers that are both touched before the clock runs, so
// no page fault is counted: what the memory moves per second.
void memcpyReference(benchmark::State &state)
{
    const std::size_t size = std::size_t(state.range(0));
    std::vector<char> from(size, 'x'), to(size, 'y');
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), size);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
}

// The e-mail pattern, searched by RE2 as the markup searches it: bytes, the
// leftmost match and the longest one there, each search after the last match.
void re2Scan(benchmark::State &state, const Input *in)
{
    const std::string &s = text(*in, std::size_t(state.range(0)));
    RE2::Options o;
    o.set_encoding(RE2::Options::EncodingLatin1);
    o.set_longest_match(true);
    const RE2 re(R"([_a-zA-Z\d\-\.]+@[_a-zA-Z\d\-]+(\.[_a-zA-Z\d\-]+)+)", o);
    std::size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        const re2::StringPiece all(s.data(), s.size());
        re2::StringPiece m;
        for (std::size_t pos = 0; pos <= s.size() && re.Match(all, pos, s.size(), RE2::UNANCHORED, &m, 1);) {
            ++matches;
            pos = std::size_t(m.data() - s.data()) + m.size();
        }
        benchmark::DoNotOptimize(matches);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(s.size()));
    state.counters["matches"] = double(matches);
}

// Cache sizes as the system reports them, per level, for the output.
struct Cache {
    int level;
    std::string type;
    std::size_t bytes;
};

std::vector<Cache> caches()
{
    std::vector<Cache> out;
    for (int i = 0;; ++i) {
        const std::string dir = "/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(i) + "/";
        std::ifstream level(dir + "level"), type(dir + "type"), size(dir + "size");
        if (!level || !type || !size)
            break;
        Cache c;
        std::string sizeText;
        level >> c.level;
        type >> c.type;
        size >> sizeText;
        c.bytes = std::stoul(sizeText) * (sizeText.back() == 'M' ? MB : sizeText.back() == 'K' ? 1024 : 1);
        out.push_back(c);
    }
    return out;
}

std::size_t lastLevelCache(const std::vector<Cache> &cs)
{
    std::size_t bytes = 0;
    int level = 0;
    for (const Cache &c : cs)
        if (c.type != "Instruction" && c.level >= level) {
            level = c.level;
            bytes = c.bytes;
        }
    return bytes;
}

// Prints the runs as usual and keeps every median throughput for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs) {
            const auto rate = r.counters.find("bytes_per_second");
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median" && rate != r.counters.end())
                m_rates[r.run_name.function_name + "/" + r.run_name.args] = rate->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Throughput of the named run, or 0 when it did not run.
    double rate(const std::string &name) const
    {
        const auto it = m_rates.find(name);
        return it == m_rates.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> m_rates;
};

std::string runName(const std::string &base, std::size_t arg)
{
    return base + "/" + std::to_string(arg);
}

// The throughput of run over that of reference, or 0 when either did not run.
double ratio(const RatioReporter &r, const std::string &run, const std::string &reference)
{
    const double a = r.rate(run), b = r.rate(reference);
    return a > 0 && b > 0 ? a / b : 0;
}

void printRatio(const RatioReporter &r, const std::string &what, const std::string &run,
                const std::string &reference)
{
    if (const double x = ratio(r, run, reference))
        std::printf("  %-58s %6.3f   (%s)\n", what.c_str(), x, reference.c_str());
}

void printGoal(const char *what, double value, const char *unit, double goal)
{
    if (value > 0)
        std::printf("  %-40s %7.3f %-28s goal >= %.2f: %s\n", what, value, unit, goal,
                    value >= goal ? "met" : "NOT met");
}

// Whether the command line sets the number of repetitions itself.
bool repetitionsGiven(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    // Keep freed memory in the heap. Otherwise glibc gives every block above
    // 32 MB back to the system when it is freed, and each run of a 10 MB text
    // (its result is three to four times larger) pays for fresh pages again
    // while a 1 MB one reuses its pages: the ratio would measure the page
    // faults of the machine, not the markup.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);

    const std::vector<Cache> cs = caches();
    const std::size_t llc = lastLevelCache(cs);
    // Twice the last-level cache when it would hold 64 MB: only then is the
    // reference bound by the memory rather than by the cache.
    const std::size_t beyondCache = std::max(copyReferenceSize, llc > copyReferenceSize / 2 ? 2 * llc : 0);

    // Medians of several runs: other work on the machine slows single runs by
    // a third and more.
    const int repetitions = repetitionsGiven(argc, argv) ? 0 : 9;
    const auto settle = [repetitions](benchmark::internal::Benchmark *b) {
        if (repetitions)
            b->Repetitions(repetitions);
        b->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
    };
    for (const Input &in : inputs)
        settle(benchmark::RegisterBenchmark((std::string("MarkupText/") + in.name).c_str(), markup, &in)
                   ->Arg(1 * MB)
                   ->Arg(10 * MB));
    for (const char *name : {"mixed prose", "e-mail addresses", "a@a@a@"})
        settle(benchmark::RegisterBenchmark((std::string("RE2 scan/") + name).c_str(), re2Scan, &input(name))
                   ->Arg(10 * MB));
    settle(benchmark::RegisterBenchmark("Copy/mixed prose", copyOnly, &inputs[0])->Arg(1 * MB)->Arg(10 * MB));
    auto *copy =
        benchmark::RegisterBenchmark("memcpy", memcpyReference)->Arg(std::int64_t(copyReferenceSize));
    if (beyondCache != copyReferenceSize)
        copy->Arg(std::int64_t(beyondCache));
    settle(copy);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    std::printf("\nCaches of this processor:");
    for (const Cache &c : cs)
        std::printf(" L%d %s %zu KiB;", c.level, c.type.c_str(), c.bytes / 1024);
    const std::string memoryBound = runName("memcpy", beyondCache);
    std::printf("\nThe goals are read against memcpy of %zu MB, more than the last-level cache holds: what\n"
                "the memory moves per second.",
                beyondCache / MB);
    if (beyondCache != copyReferenceSize)
        std::printf(
            " The last-level cache holds the %zu MB copy, which is shown beside\n"
            "it only for comparison: copied with ordinary stores inside the cache, it may run slower\n"
            "or faster than the memory, as other work on the machine uses the cache.",
            copyReferenceSize / MB);
    std::printf("\n\nRatios of throughput, medians of this run (input bytes per second):\n");
    for (const char *name : {"mixed prose", "e-mail addresses", "a@a@a@"}) {
        const std::string run = runName(std::string("MarkupText/") + name, 10 * MB);
        printRatio(reporter, std::string("MarkupText, ") + name + ", 10 MB / memcpy", run, memoryBound);
        if (beyondCache != copyReferenceSize)
            printRatio(reporter, std::string("MarkupText, ") + name + ", 10 MB / memcpy", run,
                       runName("memcpy", copyReferenceSize));
        printRatio(reporter, std::string("MarkupText, ") + name + ", 10 MB / RE2 scan", run,
                   runName(std::string("RE2 scan/") + name, 10 * MB));
    }

    std::printf("\nGoals, 10 MB texts, against memcpy of %zu MB and RE2 of this run:\n", beyondCache / MB);
    const auto markupRun = [](const char *name) {
        return runName(std::string("MarkupText/") + name, 10 * MB);
    };
    printGoal("mixed prose", ratio(reporter, markupRun("mixed prose"), memoryBound), "of memcpy", proseGoal);
    const double emails = ratio(reporter, markupRun("e-mail addresses"), memoryBound);
    if (emails > 0)
        std::printf("  %-40s %7.3f of memcpy, before: %.2f of memcpy\n", "e-mail addresses", emails,
                    emailsBefore);
    printGoal("e-mail addresses, now / before", emails / emailsBefore, "times", emailsGoal);
    printGoal("a@a@a@", ratio(reporter, markupRun("a@a@a@"), runName("RE2 scan/a@a@a@", 10 * MB)),
              "times RE2 scan", atSignsGoal);
    benchmark::Shutdown();
    return 0;
}
