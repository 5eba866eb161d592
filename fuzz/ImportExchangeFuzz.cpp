// Feeds arbitrary bytes to one exchange reader (CSV, KVTML or Anki text, chosen at build
// time). Beyond "no crash, no leak, no undefined behaviour" it checks the import rules'
// results and that an export of what was read reads back with as many tasks.

#include "data/Document.h"
#include "exchange/Exchange.h"

#include "fuzz/Check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the options, the rest is the file.
    cImportOptions options;
    const std::uint8_t pick = data[0];
    options.replaceUnmappable = pick & 1;
    options.encoding = static_cast<TextEncoding>((pick >> 1) % 3);
    const char separators[4] = {0, ',', ';', '\t'};
    options.separator = separators[(pick >> 3) & 3];
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    cImportResult r = ParseImport(QUORVANT_FUZZ_FORMAT, bytes, options);
    if (!r.Ok()) {
        Check(!r.message.empty(), "refusal without message");
        Check(r.tasks.empty(), "refusal with tasks");
        return 0;
    }
    for (const cImportedList& list : r.lists)
        for (const std::uint32_t entry : list.entries)
            Check(entry < r.tasks.size(), "list entry outside the tasks");
    for (const cImportedTask& t : r.tasks)
        Check(t.points >= -1 && t.points <= 8, "points");

    cDocument doc;
    doc.NewDocument();
    const std::size_t count = r.tasks.size();
    (void)AppendImport(doc.m_data, std::move(r.tasks), r.lists, "fuzz");
    const cTrainingData& d = doc.m_data;
    Check(d.m_aTasks.size() == count, "task count after append");
    Check(d.m_aQuestionnaires.back().m_strTitle == kAllTasksTitle, "automatic questionnaire last");
    for (const cQuestionnaire& q : d.m_aQuestionnaires)
        for (const std::uint32_t i : q.m_aTaskIndex)
            Check(i < d.m_aTasks.size(), "task index outside the pool");

    std::string exported = ExportText(d, QUORVANT_FUZZ_FORMAT);
    cImportResult again = ParseImport(QUORVANT_FUZZ_FORMAT, exported, {});
    // A note with nothing on either side is no note, so Anki text may come back shorter;
    // a question that still holds cloze markers is a cloze note again.
    bool cloze = false;
    for (const cTask& t : d.m_aTasks)
        cloze = cloze || t.m_strQuestion.find("{{c") != std::string::npos;
    if (QUORVANT_FUZZ_FORMAT == ExchangeFormat::Anki && !cloze)
        Check(again.Ok() ? again.tasks.size() <= count : again.message == "Die Datei enthält keine Aufgaben",
              "Anki export reads back");
    else if (QUORVANT_FUZZ_FORMAT == ExchangeFormat::Anki)
        Check(again.Ok() || again.failure == ImportFailure::Damaged, "Anki export of clozes reads back");
    else
        Check(again.Ok() && again.tasks.size() == count, "export reads back with every task");
    return 0;
}
