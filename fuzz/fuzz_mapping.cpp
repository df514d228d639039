// Fuzz target over the mapping-file parser: the input split at line feeds is
// the file's lines; the invariants hold for every table the parser builds.
#include "fuzz/FuzzCheck.h"
#include "naming/MappingParser.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace Velmar;

using fuzz::check;

bool isBlankByte(char c) { return static_cast<signed char>(c) <= 32; }

bool trimmed(const std::string& text) {
    return text.empty() || (!isBlankByte(text.front()) && !isBlankByte(text.back()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find('\n', start);
        lines.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }

    ApplicationMappings table;
    int errorLine = 0;
    if (!parseMappingLines(lines, table, errorLine)) {
        check(errorLine >= 1 && static_cast<size_t>(errorLine) <= lines.size(), "error line range");
        std::string line = lines[errorLine - 1];
        while (!line.empty() && isBlankByte(line.back())) line.pop_back();
        while (!line.empty() && isBlankByte(line.front())) line.erase(0, 1);
        check(line == "{", "error on a line other than a lone '{'");
        check(table.empty(), "failed parse fills the table");
        return 0;
    }
    check(table.size() <= lines.size(), "more entries than lines");
    for (const auto& entry : table) {
        const std::string& key = entry.first;
        check(key.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos, "key case");
        check(trimmed(key) && trimmed(entry.second.value), "untrimmed text");
        check(entry.second.kind >= None && entry.second.kind <= MapLast, "kind range");
        check(entry.second.kind >= MapAlways || entry.second.value.empty(), "value without '='");
        check(key.find('\n') == std::string::npos, "line feed in a key");
        check(entry.second.kind == None || entry.second.kind == Ignore ||
                  key.find('=') == std::string::npos,
              "mapping key holds '='");
    }
    return 0;
}
