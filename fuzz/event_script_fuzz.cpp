// An event script checked line by line, and each accepted event quoted back
// the way the transcript shows it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<kiln::host::Event> events;
    kiln::host::ScriptError error;
    if (!kiln::host::ParseScript(text, "fuzz.kiln", events, error)) {
        (void)error.What();
        return 0;
    }
    for (const auto& ev : events)
        for (const auto& a : ev.args) {
            std::vector<std::string> words;
            std::string why;
            // A quoted word splits back into itself.
            if (!kiln::host::SplitWords(kiln::host::QuoteWord(a, true), words, why) || words.size() != 1 ||
                words[0] != a)
                __builtin_trap();
        }
    return 0;
}
