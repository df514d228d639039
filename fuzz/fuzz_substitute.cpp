// Placeholder substitution over any template and parameter content: the input
// is split at its first zero byte into the two. Substitution must not fault,
// and with no "%" in the template the text must come back unchanged.
#include "fuzz/FuzzCheck.h"
#include "shared/library/logger/ParamStream.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const std::string format = input.substr(0, zero);
    const std::string content = zero == std::string::npos ? std::string() : input.substr(zero + 1);
    std::string text = format;
    Velmar::substituteParameters(text, content);
    Velmar::fuzz::check(format.find('%') != std::string::npos || text == format,
                        "a template without placeholders comes back unchanged");
    return 0;
}
