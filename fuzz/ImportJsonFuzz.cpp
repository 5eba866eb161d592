// Feeds arbitrary bytes to the JSON import of quorvant-cli. Every refusal must say why,
// and whatever it accepts must export to JSON that imports to the same document.

#include "cli/TrainingJson.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    cTrainingData first;
    cJsonRefusal refusal;
    if (!ReadTrainingJson(in, first, refusal)) {
        if (refusal.syntaxByte == 0 && refusal.message.empty()) {
            std::fprintf(stderr, "refusal without message\n");
            std::abort();
        }
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
