// Importing generated KVTML and CSV files of 100,000 entries into a training file (read,
// append by the import rules, write the .vdr), as the command line does. Each import runs
// in a child process, so getrusage's peak resident size is that of the import alone.

#include "data/Document.h"
#include "exchange/Exchange.h"
#include "tests/common/TestFiles.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Sample {
    std::string path;
    std::size_t bytes = 0;
};

testfiles::TempDir& Dir()
{
    static testfiles::TempDir dir;
    return dir;
}

// Vocabulary-like data: short question and solution, a category on every third entry, in
// 100 questionnaires of 1,000 tasks (lessons in KVTML).
const Sample& SampleFor(ExchangeFormat format, int entries)
{
    static std::map<std::pair<int, int>, Sample> samples;
    auto [it, fresh] = samples.try_emplace({static_cast<int>(format), entries});
    if (fresh) {
        cDocument doc;
        doc.NewDocument();
        cTrainingData& d = doc.m_data;
        d.m_aTasks.resize(static_cast<std::size_t>(entries));
        for (int i = 0; i < entries; ++i) {
            cTask& t = d.m_aTasks[static_cast<std::size_t>(i)];
            t.m_strTaskNo = std::to_string(i + 1);
            t.m_strQuestion = "die Stra\xDF" "e " + std::to_string(i);
            t.m_strSolution = "the street " + std::to_string(i);
            if (i % 3 == 0)
                t.m_strCategory = "Kapitel " + std::to_string(i / 1000);
        }
        for (int q = 0; q < entries / 1000; ++q) {
            cQuestionnaire lesson;
            lesson.m_strTitle = "Lektion " + std::to_string(q + 1);
            for (int i = q * 1000; i < (q + 1) * 1000; ++i)
                lesson.m_aTaskIndex.push_back(static_cast<std::uint32_t>(i));
            d.m_aQuestionnaires.insert(d.m_aQuestionnaires.end() - 1, lesson);
        }
        const std::string text = ExportText(d, format);
        Sample& s = it->second;
        s.path = Dir().Path("sample-" + std::to_string(entries) +
                            (format == ExchangeFormat::Kvtml ? ".kvtml" : ".csv"));
        testfiles::WriteBytes(s.path, text);
        s.bytes = text.size();
    }
    return it->second;
}

// The import of the command line: read, append to a new document, write the file.
int Import(const std::string& source, ExchangeFormat format, const std::string& target)
{
    cImportResult r = ReadImportFile(source, format, {});
    if (!r.Ok())
        return 1;
    cDocument doc;
    doc.NewDocument();
    (void)AppendImport(doc.m_data, std::move(r.tasks), r.lists, ImportTitle(source));
    return doc.SaveAs(target);
}

void BM_Import(benchmark::State& state, ExchangeFormat format)
{
    const Sample& s = SampleFor(format, static_cast<int>(state.range(0)));
    const std::string target = Dir().Path("imported.vdr");
    long peakKiB = 0;
    double cpuSeconds = 0; // the child's user and system time: wall time suffers on a busy machine
    for (auto _ : state) {
        const pid_t child = fork();
        if (child == 0)
            _exit(Import(s.path, format, target));
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("import failed");
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
        cpuSeconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.bytes));
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["file_MB"] = static_cast<double>(s.bytes) / 1e6;
    state.counters["child_cpu_s"] = cpuSeconds / static_cast<double>(state.iterations());
    state.counters["peak_rss_MiB"] = static_cast<double>(peakKiB) / 1024.0;
}

} // namespace

BENCHMARK_CAPTURE(BM_Import, kvtml, ExchangeFormat::Kvtml)
    ->Arg(100000)->ArgName("entries")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Import, csv, ExchangeFormat::Csv)
    ->Arg(100000)->ArgName("entries")->Unit(benchmark::kMillisecond)->UseRealTime();
