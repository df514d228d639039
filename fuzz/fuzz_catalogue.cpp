// Catalogue file lines: any bytes, taken line by line, must parse without
// fault; every stored text is trimmed and every line that parses is counted.
#include "fuzz/FuzzCheck.h"
#include "shared/library/logger/LogCommons.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using Velmar::fuzz::check;

bool isBlank(char c) { return static_cast<signed char>(c) <= 32; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string rest(reinterpret_cast<const char*>(data), size);
    Velmar::LogCommons catalogue;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\n', start);
        if (end == std::string::npos) end = rest.size();
        const std::string line = rest.substr(start, end - start);
        int32_t number = 0;
        std::string text;
        const bool parsed = Velmar::parseMessageLine(line, number, text);
        check(parsed == catalogue.addMessageLine(24, line), "the catalogue takes what parses");
        check(!parsed || text.empty() || (!isBlank(text.front()) && !isBlank(text.back())),
              "a message text is trimmed");
        std::string found;
        check(!parsed || catalogue.findMessage(24, number, found), "a parsed message is found");
        start = end + 1;
    }
    return 0;
}
