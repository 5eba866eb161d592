// Feeds arbitrary bytes to the JSON import. Every refusal must say why, whatever it
// accepts must export to JSON that imports to the same document, and the window's path
// (characters outside Windows-1252 replaced, the file appended to an open one) must keep
// every questionnaire inside the tasks.

#include "data/Document.h"
#include "exchange/Exchange.h"
#include "exchange/TrainingJson.h"

#include "fuzz/Check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    cImportOptions replace;
    replace.replaceUnmappable = true;
    const cImportResult imported = ParseImport(ExchangeFormat::Json, bytes, replace);
    Check(imported.Ok() == (imported.training != nullptr), "result without training data");
    Check(imported.Ok() || !imported.message.empty(), "refusal without message");
    if (imported.training) {
        cDocument doc;
        doc.NewDocument();
        const std::size_t count = imported.training->m_aTasks.size();
        (void)AppendTraining(doc.m_data, cTrainingData(*imported.training), "fuzz");
        const cTrainingData& d = doc.m_data;
        Check(d.m_aTasks.size() == count, "task count after append");
        Check(d.m_aQuestionnaires.back().m_aTaskIndex.size() == count, "automatic questionnaire");
        for (const cQuestionnaire& q : d.m_aQuestionnaires)
            for (const std::uint32_t i : q.m_aTaskIndex)
                Check(i < d.m_aTasks.size(), "task index outside the pool");
    }

    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    cTrainingData first;
    cJsonRefusal refusal;
    if (!ReadTrainingJson(in, first, refusal)) {
        Check(refusal.syntaxByte != 0 || !refusal.message.empty(), "refusal without message");
        return 0;
    }
    std::ostringstream text;
    WriteTrainingJson(first, text);
    std::istringstream again(text.str());
    cTrainingData second;
    std::ostringstream back;
    if (!ReadTrainingJson(again, second, refusal) ||
        (WriteTrainingJson(second, back), back.str() != text.str())) {
        std::fprintf(stderr, "export does not import to the same document: %s\n",
                     refusal.message.c_str());
        std::abort();
    }
    return 0;
}
