// Feeds arbitrary bytes to the JSON import of quorvant-cli. Whatever it accepts must
// export to JSON that imports to the same document.

#include "cli/TrainingJson.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const OrderedJson doc = OrderedJson::parse(data, data + size, nullptr, false);
    if (doc.is_discarded())
        return 0;
    cTrainingData first;
    std::string error;
    if (!TrainingFromJson(doc, first, error)) {
        if (error.empty()) {
            std::fprintf(stderr, "refusal without message\n");
            std::abort();
        }
        return 0;
    }
    std::ostringstream text;
    WriteTrainingJson(first, text);
    const OrderedJson exported = OrderedJson::parse(text.str());
    cTrainingData second;
    std::ostringstream again;
    if (!TrainingFromJson(exported, second, error) ||
        (WriteTrainingJson(second, again), again.str() != text.str())) {
        std::fprintf(stderr, "export does not import to the same document: %s\n", error.c_str());
        std::abort();
    }
    return 0;
}
