// Reading and writing generated training files of 1,000 to 100,000 realistic tasks,
// plain and scrambled. Reports MB/s, tasks/s and the peak heap memory per task.

#include "data/TrainingData.h"
#include "tests/common/TestFiles.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>
#include <utility>

#include <malloc.h>

// ---- heap accounting: current and peak bytes held through operator new ----------------

namespace {

std::atomic<std::size_t> g_heapNow{0};
std::atomic<std::size_t> g_heapPeak{0};

void* Counted(void* p)
{
    if (!p)
        throw std::bad_alloc();
    const std::size_t now = g_heapNow += malloc_usable_size(p);
    std::size_t peak = g_heapPeak.load();
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void Release(void* p) noexcept
{
    if (p) {
        g_heapNow -= malloc_usable_size(p);
        std::free(p);
    }
}

} // namespace

void* operator new(std::size_t n) { return Counted(std::malloc(n ? n : 1)); }
void* operator new[](std::size_t n) { return Counted(std::malloc(n ? n : 1)); }
void* operator new(std::size_t n, std::align_val_t a)
{
    return Counted(std::aligned_alloc(static_cast<std::size_t>(a),
                                      (n + static_cast<std::size_t>(a) - 1) & ~(static_cast<std::size_t>(a) - 1)));
}
void* operator new[](std::size_t n, std::align_val_t a) { return operator new(n, a); }
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Release(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Release(p); }

namespace {

// One generated data set and its file per size and mode, made once.
struct Sample {
    cTrainingData data;
    std::string path;
    std::size_t bytes = 0;
};

testfiles::TempDir& Dir()
{
    static testfiles::TempDir dir;
    return dir;
}

const Sample& SampleFor(int tasks, int crypt)
{
    static std::map<std::pair<int, int>, Sample> samples;
    auto [it, fresh] = samples.try_emplace({tasks, crypt});
    if (fresh) {
        Sample& s = it->second;
        s.data = testfiles::MakeTrainingData(tasks, 42);
        s.data.m_nCrypt = static_cast<std::uint8_t>(crypt);
        s.path = Dir().Path("sample-" + std::to_string(tasks) + "-" + std::to_string(crypt) + ".vdr");
        if (s.data.WriteTrainingFile(s.path) != 0)
            std::abort();
        s.bytes = testfiles::ReadBytes(s.path).size();
    }
    return it->second;
}

void Report(benchmark::State& state, const Sample& s, std::size_t peakBytes)
{
    const auto tasks = static_cast<std::int64_t>(s.data.m_aTasks.size());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.bytes));
    state.SetItemsProcessed(state.iterations() * tasks);
    state.counters["file_bytes"] = static_cast<double>(s.bytes);
    state.counters["peak_heap_per_task"] = tasks ? static_cast<double>(peakBytes) / static_cast<double>(tasks) : 0;
}

void BM_ReadTrainingFile(benchmark::State& state)
{
    const Sample& s = SampleFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = g_heapNow.load();
        g_heapPeak = before;
        auto data = std::make_unique<cTrainingData>();
        if (data->ReadTrainingFile(s.path) != 0)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(data->m_aTasks.data());
        peak = std::max(peak, g_heapPeak.load() - before);
        // Freeing the data is not part of reading.
        state.PauseTiming();
        data.reset();
        state.ResumeTiming();
    }
    Report(state, s, peak);
}

void BM_WriteTrainingFile(benchmark::State& state)
{
    const Sample& s = SampleFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    cTrainingData data = s.data;
    const std::string target = Dir().Path("written.vdr");
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = g_heapNow.load();
        g_heapPeak = before;
        if (data.WriteTrainingFile(target) != 0)
            state.SkipWithError("write failed");
        peak = std::max(peak, g_heapPeak.load() - before);
    }
    Report(state, s, peak);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (const int crypt : {0, 1})
        for (const int tasks : {1000, 10000, 100000})
            b->Args({tasks, crypt});
    b->ArgNames({"tasks", "crypt"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_ReadTrainingFile)->Apply(Sizes);
BENCHMARK(BM_WriteTrainingFile)->Apply(Sizes);
