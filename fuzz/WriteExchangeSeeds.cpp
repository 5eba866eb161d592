// Writes the seed corpora of the exchange fuzzers into FOLDER/csv, FOLDER/kvtml,
// FOLDER/anki and FOLDER/json: exports of generated training data and hand-made files.
// The exchange fuzzers take their options from the first byte, so their seeds start with
// one (0: detect everything, keep unmappable text refused).

#include "exchange/TrainingJson.h"
#include "exchange/Exchange.h"
#include "tests/common/TestFiles.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    int count = 0;
    const auto save = [&](const char* kind, const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(dir + "/" + kind);
        testfiles::WriteBytes(dir + "/" + kind + "/" + name, bytes);
        ++count;
    };
    const std::string options(1, '\0');
    for (const int tasks : {1, 5, 40}) {
        cTrainingData d = testfiles::MakeTrainingData(tasks, static_cast<std::uint32_t>(tasks));
        const std::string n = std::to_string(tasks);
        save("csv", "export-" + n + ".csv", options + ExportText(d, ExchangeFormat::Csv));
        save("csv", "export-" + n + ".tsv", options + ExportText(d, ExchangeFormat::Csv, '\t'));
        save("kvtml", "export-" + n + ".kvtml", options + ExportText(d, ExchangeFormat::Kvtml));
        save("anki", "export-" + n + ".txt", options + ExportText(d, ExchangeFormat::Anki));
        std::ostringstream json;
        WriteTrainingJson(d, json);
        save("json", "export-" + n + ".json", json.str());
    }
    save("csv", "header.csv", options + "Points,Answer,Question,Nr,Kategorie,Pattern\r\n2,\"a\"\"b\",\"x\ny\",7,k,p\r\n");
    save("csv", "windows-1252.csv", "\x01" "Fr\xFC" "h;early\n\"zwei;\";\n");
    save("kvtml", "nested.kvtml",
         options + "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><entries>"
                   "<entry id=\"0\"><translation id=\"0\"><text>a</text><comment>c</comment>"
                   "<image>i.png</image></translation><translation id=\"1\"><text><![CDATA[b]]></text>"
                   "<sound>s.wav</sound></translation></entry></entries><lessons><container><name>O"
                   "</name><container><name>U</name><entry id=\"0\"/></container></container></lessons></kvtml>");
    save("anki", "headers.txt", options + "#separator:Pipe\n#html:true\n#guid column:1\n#deck column:2\n"
                                          "#tags column:5\ng|d|Vorne<br>x|Hinten &amp; &#228;|a_b c\n");
    // Files as other programs write them (tests/exchange/data): version 1 KVTML, declared
    // encodings, padding entries, spreadsheet preambles, UTF-16 text, entities and clozes.
    const std::string data = QUORVANT_SOURCE_DIR "/tests/exchange/data/";
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        const std::string name = entry.path().filename().string();
        const std::string ext = entry.path().extension().string();
        const char* kind = ext == ".kvtml" ? "kvtml" : ext == ".csv" ? "csv" : ext == ".txt" ? "anki" : nullptr;
        if (kind)
            save(kind, "file-" + name, options + testfiles::ReadBytes(entry.path().string()));
    }
    save("kvtml", "version1-utf8.kvtml", options + "<?xml version=\"1.0\"?>\n<kvtml><lesson><desc no=\"1\">L"
                                          "</desc></lesson><e m=\"1\"><o l=\"de\">a</o><t l=\"en\">b</t></e><e/></kvtml>");
    save("anki", "cloze.txt", options + "#separator:tab\n#html:true\n#notetype column:1\n"
                                        "Cloze\t{{c1::A::h}} {{c2::B}} &auml;&nbsp;&ndash;&NotNestedGreaterGreater;\tx<br>\ny\n");
    save("json", "minimal.json", R"({"format":"quorvant-training","version":1,"tasks":[{"question":"q"}],)"
                                 R"("questionnaires":[{"title":"t","tasks":[0]}]})");
    std::printf("%d seed files written to %s\n", count, dir.c_str());
    return 0;
}
