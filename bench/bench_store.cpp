// Saving and loading the forum list. SaveAll runs at every keystroke in the
// forum panel, so its time for an ordinary list matters most. Beside it, for
// comparison on the same run, the same bytes are written over the file in
// place, with no temporary file or rename: once without any flush, and once
// flushed to the disk as SaveAll flushes its file. The first shows what the
// disk's durability costs, the second what the safe replacement costs on top.
#include "UForums.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct BenchDir {
    fs::path path;
    BenchDir()
    {
        char pattern[] = "/tmp/postwright-bench-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~BenchDir() { fs::remove_all(path); }
};

void fill(TForums &forums, int n)
{
    for (int i = 0; i < n; ++i) {
        auto f = std::make_unique<TForum>();
        f->URL = "http://forum" + std::to_string(i) + ".example.org/index.php?action=post";
        f->Username = "user" + std::to_string(i);
        f->Password = "secret-password-" + std::to_string(i);
        std::string url = f->URL;
        forums.append(std::move(url), std::move(f));
    }
}

std::string fileBytes(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void saveAll(benchmark::State &state, TextFile::Durability durability)
{
    BenchDir dir;
    TForums forums(dir.path);
    forums.LoadAll();
    fill(forums, int(state.range(0)));
    for (auto _ : state)
        forums.SaveAll(durability);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(dir.path / "Forums.dat")));
}

// What the program does: the file and then its folder are flushed.
void SaveAll(benchmark::State &state)
{
    saveAll(state, TextFile::Durability::FileAndFolder);
}

// The same save without flushing the folder after the rename, as it was saved
// before: the difference is what surviving a power cut costs.
void SaveAllFileFlushOnly(benchmark::State &state)
{
    saveAll(state, TextFile::Durability::FileOnly);
}

void plainRewrite(benchmark::State &state, bool flush)
{
    BenchDir dir;
    TForums forums(dir.path);
    forums.LoadAll();
    fill(forums, int(state.range(0)));
    forums.SaveAll();
    const std::string bytes = fileBytes(dir.path / "Forums.dat");
    const fs::path file = dir.path / "Forums.dat";
    for (auto _ : state) {
        int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CREAT, 0600);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) ||
            (flush && ::fsync(fd) != 0))
            state.SkipWithError("plain write failed");
        ::close(fd);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void PlainRewrite(benchmark::State &state)
{
    plainRewrite(state, false);
}

void PlainRewriteFlushed(benchmark::State &state)
{
    plainRewrite(state, true);
}

// A file of n forums in a fresh folder, as SaveAll writes it.
struct SavedForums {
    BenchDir dir;
    explicit SavedForums(int n)
    {
        TForums forums(dir.path);
        forums.LoadAll();
        fill(forums, n);
        forums.SaveAll();
    }
};

// LoadAll alone, as the program runs it: once, at start, into a heap that has
// not yet freed anything. The list of each round is destroyed outside the
// clock, and so is the merging of the blocks it freed, which glibc would
// otherwise do inside the next LoadAll, at its first request for a large
// block.
void LoadAll(benchmark::State &state)
{
    SavedForums saved(int(state.range(0)));
    for (auto _ : state) {
        auto forums = std::make_unique<TForums>(saved.dir.path);
        forums->LoadAll();
        benchmark::DoNotOptimize(forums->count());
        state.PauseTiming();
        forums.reset();
        std::free(std::malloc(64 * 1024));
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(fs::file_size(saved.dir.path / "Forums.dat")));
}

// Loading a list and destroying it again, round after round: LoadAll plus
// the cost of freeing what it made.
void LoadAllAndDestroy(benchmark::State &state)
{
    SavedForums saved(int(state.range(0)));
    for (auto _ : state) {
        TForums forums(saved.dir.path);
        forums.LoadAll();
        benchmark::DoNotOptimize(forums.count());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) *
                            int64_t(fs::file_size(saved.dir.path / "Forums.dat")));
}

} // namespace

// Every figure for 1,000 and 100,000 forums, in real time, the median of nine.
static void ForumCounts(benchmark::internal::Benchmark *b)
{
    b->Arg(1000)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(9)
        ->ReportAggregatesOnly(true);
}

BENCHMARK(SaveAll)->Apply(ForumCounts);
BENCHMARK(SaveAllFileFlushOnly)->Apply(ForumCounts);
BENCHMARK(PlainRewrite)->Apply(ForumCounts);
BENCHMARK(PlainRewriteFlushed)->Apply(ForumCounts);
BENCHMARK(LoadAll)->Apply(ForumCounts);
BENCHMARK(LoadAllAndDestroy)->Apply(ForumCounts);

BENCHMARK_MAIN();
