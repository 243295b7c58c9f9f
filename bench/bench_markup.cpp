// Throughput of the link and e-mail markup on ordinary and on hostile messages,
// at 1 MB and 10 MB: the time must grow with the length of the text alone.
#include "Markup.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <malloc.h>
#include <map>
#include <random>
#include <string>
#include <utility>

namespace {

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
    {"e-mail addresses",
     [](std::mt19937 &rng) { return "name.n" + std::to_string(rng() % 1000) + "@mail.example.com, "; }},
    {"letters and dots", [](std::mt19937 &) { return std::string("abcde.fgh.ij.klmno.p."); }},
    // Every at sign has a name in front and a domain behind it.
    {"letters, dots and at signs", [](std::mt19937 &) { return std::string("ab.cd@ef.gh@"); }},
};

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
// copy no longer fit the processor's caches, so this shows how much of the
// 10 MB / 1 MB ratio comes from the memory alone.
void copyOnly(benchmark::State &state, const Input *in)
{
    const std::string &s = text(*in, std::size_t(state.range(0)));
    for (auto _ : state) {
        std::string copy(s);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(s.size()));
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
    for (const Input &in : inputs)
        benchmark::RegisterBenchmark((std::string("MarkupText/") + in.name).c_str(), markup, &in)
            ->Arg(1 << 20)
            ->Arg(10 << 20)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Copy/mixed prose", copyOnly, &inputs[0])
        ->Arg(1 << 20)
        ->Arg(10 << 20)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
