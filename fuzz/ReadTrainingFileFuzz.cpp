// Feeds arbitrary bytes to the training file reader. Beyond "no crash, no leak, no
// undefined behaviour" it checks what the rest of the program relies on after a read,
// and that whatever was read survives a write and a second read unchanged.

#include "data/TrainingData.h"
#include "base/Message.h"

#include "fuzz/Check.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

class QuietPresenter : public cMessagePresenter {
public:
    int Present(const std::string&, const std::string&, std::uint32_t) override { return ResultOk; }
};

// tmpfs keeps the reader on real files without paying for the disk.
std::string TempPath(const char* name)
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/quorvant-fuzz-" + std::to_string(getpid()) + "-" + name;
}

std::string ReadAll(const std::string& path)
{
    std::string bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[65536];
        std::size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            bytes.append(buf, n);
        std::fclose(f);
    }
    return bytes;
}


void CheckSound(const cTrainingData& d)
{
    for (const cQuestionnaire& q : d.m_aQuestionnaires)
        for (const std::uint32_t i : q.m_aTaskIndex)
            Check(i < d.m_aTasks.size(), "task index outside the pool");
    for (const cTask& t : d.m_aTasks) {
        Check(t.m_nChoiceCount <= kTaskSlots, "choice count");
        Check(t.m_nPatternCount <= kTaskSlots, "pattern count");
        Check(t.m_nPoints <= 8, "points");
    }
    Check(d.m_aColumnTitle.size() == d.m_aColumnWidth.size() &&
              d.m_aColumnTitle.size() == d.m_aColumnKind.size(),
          "column arrays");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QuietPresenter quiet;
    SetMessagePresenter(&quiet);
    static const std::string input = TempPath("in.vdr");
    static const std::string first = TempPath("a.vdr");
    static const std::string second = TempPath("b.vdr");

    if (std::FILE* f = std::fopen(input.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }

    cTrainingData d;
    const int result = d.ReadTrainingFile(input);
    CheckSound(d);
    if (result != 0)
        return 0;
    Check(!d.m_aQuestionnaires.empty() && d.m_aQuestionnaires.back().m_strTitle == kAllTasksTitle,
          "automatic questionnaire");

    // Write, read, write: the two written files must be the same bytes.
    Check(d.WriteTrainingFile(first) == 0, "first write");
    cTrainingData again;
    Check(again.ReadTrainingFile(first) == 0, "reading what was written");
    CheckSound(again);
    Check(again.m_aTasks.size() == d.m_aTasks.size(), "task count after round trip");
    Check(again.WriteTrainingFile(second) == 0, "second write");
    Check(ReadAll(first) == ReadAll(second), "write-read-write changed the bytes");
    return 0;
}
