// Writes a generated training file of realistic tasks for the scale benchmarks:
//
//   MakeTrainingFile TASKS OUT.vdr [SEED]
//
// The same task count and seed always give the same bytes.

#include "common/TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: MakeTrainingFile TASKS OUT.vdr [SEED]\n");
        return 2;
    }
    const int tasks = std::atoi(argv[1]);
    const auto seed = argc > 3 ? static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 7u;
    cTrainingData data = testfiles::MakeTrainingData(tasks < 0 ? 0 : tasks, seed);
    data.m_bShowAll = true;
    // A line of context per question brings the file to about 165 bytes per task, the
    // size of the vocabulary files the goals were set with.
    for (std::size_t i = 0; i < data.m_aTasks.size(); ++i)
        data.m_aTasks[i].m_strQuestion += " (Lektion " + std::to_string(1 + i / 40) +
                                          ", \xDC" "bung " + std::to_string(1 + i % 40) +
                                          ": Grundwortschatz)";
    if (data.WriteTrainingFile(argv[2]) != 0) {
        std::fprintf(stderr, "could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
