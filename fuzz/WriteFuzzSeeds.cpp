// Writes the fuzzer's seed corpus into the folder named on the command line: generated
// training files of a few sizes, plain and scrambled, old forms and odd blocks.

#include "data/TrainingData.h"
#include "tests/common/TestFiles.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    int count = 0;
    const auto save = [&](const std::string& name, const std::string& bytes) {
        testfiles::WriteBytes(dir + "/" + name, bytes);
        ++count;
    };

    for (const int tasks : {0, 1, 3, 12})
        for (const int crypt : {0, 1}) {
            cTrainingData d = testfiles::MakeTrainingData(tasks, static_cast<std::uint32_t>(tasks + 1));
            d.m_nCrypt = static_cast<std::uint8_t>(crypt);
            const std::string path = dir + "/generated-" + std::to_string(tasks) + "-" + std::to_string(crypt) + ".vdr";
            if (d.WriteTrainingFile(path) != 0)
                return 1;
            ++count;
        }

    using testfiles::StreamBuilder;
    save("old-forms.vdr", StreamBuilder()
                              .Str("2FID").Str("TesterFile").Num(90)
                              .Str("+AUF").Str("1TXT").Str("a").Str("1FSB").Num(1).Str("-AUF")
                              .Str("+FB").Str("1FR").Num(0).Str("-FB").Str("0$")
                              .Bytes());
    save("skipped.vdr", StreamBuilder()
                            .FileStart().DefaultSettings()
                            .Str("+GRP").Str("1TXT").Str("x").Str("#FRA").Num(1).Num(0).Str("-GRP")
                            .Str("#XYZ").Num(2).Num(1).Str("s").Str("2XYZ").Num(1).LStr("l")
                            .Str("+AUF").Str("1TYP").Num(1).Str("2MHE").Bool(true).Byte(1)
                            .Str("3MUL").Bool(true).Str("c").Str("e").Str("3IMG").Str("p").Num(1).Num(1)
                            .Str("2PA").Byte(1).Str("m").Str("4NUM").Num(1).Num(2).Num(3).Num(70000)
                            .Str("1SND").Str("s").Str("2KAT").Str("1").Str("k").FileEnd()
                            .Bytes());
    save("questionnaires.vdr", StreamBuilder()
                                   .FileStart().Str("+AUF").Str("-AUF")
                                   .Str("+FB").Str("1FNA").Str("q").Str("1FZT").Num(600)
                                   .Str("2FPK").Num(10).Num(5).Str("1FI").Num(2)
                                   .Str("#FRA").Num(2).Num(0).Num(0).Str("-FB").Str("0$")
                                   .Bytes());
    std::printf("%d seed files written to %s\n", count, dir.c_str());
    return 0;
}
