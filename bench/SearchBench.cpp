// The search bar over "Alle Aufgaben" with 100,000 tasks: each keystroke filters the rows
// (goal: under 50 ms per keystroke), typing on and deleting again; and opening the search,
// which folds the texts of every task once.

#include "base/Cp1252.h"
#include "data/Document.h"
#include "practice/Query.h"
#include "base/Settings.h"
#include "tests/common/TestFiles.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kTasks = 100000;

struct cSearchBench {
    cDocument doc;
    cSettings settings;
    cQueryHost host;
    std::unique_ptr<cQuery> query;

    cSearchBench()
    {
        doc.m_data = testfiles::MakeTrainingData(kTasks);
        query = std::make_unique<cQuery>(doc, settings, host);
        query->InitialUpdate();
        query->OpenQuestionnaire(static_cast<int>(doc.m_data.m_aQuestionnaires.size()) - 1);
    }
};

void BM_SearchKeystroke(benchmark::State& state)
{
    cSearchBench bench;
    bench.query->SetSearchText(std::string());
    // Typing "Königin" letter by letter, then deleting it again.
    const std::string word = Cp1252FromUtf8("Königin");
    std::vector<std::string> texts;
    for (std::size_t n = 1; n <= word.size(); ++n)
        texts.push_back(word.substr(0, n));
    for (std::size_t n = word.size(); n-- > 0;)
        texts.push_back(word.substr(0, n));
    std::size_t next = 0;
    for (auto _ : state) {
        bench.query->SetSearchText(texts[next]);
        benchmark::DoNotOptimize(bench.query->RowCount());
        next = (next + 1) % texts.size();
    }
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMillisecond);

void BM_SearchOpen(benchmark::State& state)
{
    cSearchBench bench;
    for (auto _ : state) {
        bench.query->SetSearchText("ae");
        benchmark::DoNotOptimize(bench.query->RowCount());
        state.PauseTiming();
        bench.query->EndSearch();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SearchOpen)->Unit(benchmark::kMillisecond);

} // namespace
