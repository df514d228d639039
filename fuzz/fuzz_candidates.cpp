// Fuzz target over the texts the scan application takes from outside: the
// command line, registry texts split into executable paths, the cleaning of
// those paths and the data-file record built from them.
//
// Input layout: the whole input is the command line and the registry text;
// each path found in it is cleaned and written into a record whose identity
// fields and application name are the input too.
#include "app/CandidatePath.h"
#include "app/CommandLine.h"
#include "app/InventoryRecord.h"
#include "app/RegistryText.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace Velmar;

using fuzz::check;

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    for (const auto& pair : splitArguments(text)) {
        check(text.find(pair.second) != std::string::npos, "a value is a piece of the text");
    }
    parseCommandLine(text);

    const bool marked = hasExeMarker(text);
    for (const std::string& path : splitExecutablePaths(text)) {
        check(marked, "paths only from a marked text");
        check(endsWith(path, ".exe") || endsWith(path, ".EXE"), "a path ends with its marker");
        const std::string cleaned = cleanCandidatePath(path);
        check(cleaned.size() <= path.size(), "cleaning never lengthens");
        check(cleaned.find('"') == std::string::npos, "no quote survives cleaning");
        check(std::none_of(cleaned.begin(), cleaned.end(),
                           [](char c) { return c >= 'A' && c <= 'Z'; }),
              "cleaned paths are lower-case");

        const HostIdentity host{text, text, text, text};
        const std::string record = formatInventoryRecord(0, host, CandidateRecord{cleaned, text});
        check(endsWith(record, ": : : : : : \r\n1\r\n"), "a record ends with its fixed tail");
        check(std::count(record.begin(), record.end(), ':') == 22, "fields never add a colon");
        check(std::count(record.begin(), record.end(), '\n') == 2, "a record has two lines");
        check(std::count(record.begin(), record.end(), '\r') == 2, "no stray carriage return");
    }
    return 0;
}
