// The task list of "Alle Aufgaben" with 100,000 rows: sorting it by a column, and
// selecting the next task with all three selection filters on.

#include "data/Document.h"
#include "practice/Query.h"
#include "base/Message.h"
#include "base/Settings.h"
#include "tests/common/TestFiles.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kTasks = 100000;

// Message 306 must not block or print while measuring.
class cSilentPresenter : public cMessagePresenter {
public:
    int Present(const std::string&, const std::string&, std::uint32_t) override { return ResultOk; }
};

struct cBench {
    cSilentPresenter presenter;
    cDocument doc;
    cSettings settings;
    cQueryHost host;
    std::unique_ptr<cQuery> query;

    explicit cBench(cTrainingData data)
    {
        SetMessagePresenter(&presenter);
        doc.m_data = std::move(data);
        query = std::make_unique<cQuery>(doc, settings, host);
        query->InitialUpdate();
        query->OpenQuestionnaire(static_cast<int>(doc.m_data.m_aQuestionnaires.size()) - 1);
    }
    ~cBench() { SetMessagePresenter(nullptr); }
};

// Columns of the generated file: 0 number, 1 statistics, 2 question, 3 solution.
void BM_SortTaskList(benchmark::State& state)
{
    cBench bench(testfiles::MakeTrainingData(kTasks));
    const int column = static_cast<int>(state.range(0));
    bool ascending = true;
    for (auto _ : state) {
        state.PauseTiming();
        bench.query->LoadQuestionnaire(bench.doc.m_nCurQuestionnaire); // unsorted again
        state.ResumeTiming();
        bench.query->SortTaskList(column, ascending);
        ascending = !ascending;
    }
    state.SetItemsProcessed(state.iterations() * bench.query->RowCount());
    state.SetLabel(bench.query->ColumnTitle(column));
}
BENCHMARK(BM_SortTaskList)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// The generated statistics with the file's filters (80 %, 3 times right, 5 words).
void BM_SelectTaskTypical(benchmark::State& state)
{
    cBench bench(testfiles::MakeTrainingData(kTasks));
    bench.query->StartAt(0);
    for (auto _ : state)
        bench.query->SelectTask(-1);
    state.SetLabel("rows " + std::to_string(bench.query->RowCount()));
}
BENCHMARK(BM_SelectTaskTypical)->Unit(benchmark::kMicrosecond);

// Worst case: every task but the last is excluded, each by another filter, so every
// selection walks all 100,000 rows and tests every filter.
void BM_SelectTaskWorstCase(benchmark::State& state)
{
    cTrainingData data = testfiles::MakeTrainingData(kTasks);
    data.m_bRandom = false;
    data.m_nMaxWords = 5;
    data.m_nMinRight = 50;
    data.m_nMinPercent = 90;
    for (int i = 0; i < kTasks; ++i) {
        cTask& t = data.m_aTasks[i];
        t.m_nStats.fill(0);
        const int p = t.m_nPoints == 0 ? 1 : t.m_nPoints;
        if (i == kTasks - 1)
            continue; // the one task that passes
        switch (i % 3) {
        case 0: t.m_strSolution = "one two three four five six"; break;
        case 1: t.m_nStats[p] = 60; break;
        default: t.m_nStats[p] = 19; t.m_nStats[0] = 1; break; // 95 % right
        }
    }
    cBench bench(std::move(data));
    bench.query->StartAt(kTasks - 1);
    for (auto _ : state) {
        bench.query->SelectTask(-1); // from the last row all around to itself
        benchmark::DoNotOptimize(bench.query->CurrentRow());
    }
    state.SetItemsProcessed(state.iterations() * kTasks);
}
BENCHMARK(BM_SelectTaskWorstCase)->Unit(benchmark::kMillisecond);

// Worst case for the word limit: every counter passes and every solution but the last is
// a long text of many words, so each row's solution has to be read.
void BM_SelectTaskLongSolutions(benchmark::State& state)
{
    cTrainingData data = testfiles::MakeTrainingData(kTasks);
    data.m_bRandom = false;
    data.m_nMaxWords = 5;
    data.m_nMinRight = 50;
    data.m_nMinPercent = 90;
    std::string solution;
    for (int word = 0; word < 40; ++word)
        solution += "Wort" + std::to_string(word) + ' ';
    for (int i = 0; i < kTasks; ++i) {
        cTask& t = data.m_aTasks[i];
        t.m_nStats.fill(0);
        t.m_strSolution = i == kTasks - 1 ? std::string("passt") : solution;
    }
    cBench bench(std::move(data));
    bench.query->StartAt(kTasks - 1);
    for (auto _ : state) {
        bench.query->SelectTask(-1);
        benchmark::DoNotOptimize(bench.query->CurrentRow());
    }
    state.SetItemsProcessed(state.iterations() * kTasks);
}
BENCHMARK(BM_SelectTaskLongSolutions)->Unit(benchmark::kMillisecond);

} // namespace
