// The hive file reader's speed: for each hive file given (and, with
// --generate N, a hive of N keys with three values each, written by the
// tests' hive writer and saved as FILE for other readers to compare), the best
// of R runs of
// - the reader: from the file's bytes in memory, recovery check, parse and the
//   whole-hive walk touching every value's data (keys per second, MB of file
//   per second);
// - the offline pass: recovery check, parse and the registry scan's walk over
//   the hive as a key source, texts converted to 8-bit (the host's code page
//   on Windows), candidates counted but not processed.
//
//   hive_bench [--runs R] [--generate N FILE] HIVE...
#include "app/HiveKeySource.h"
#include "app/RegistryWalk.h"
#include "shared/library/common/AnsiText.h"
#include "shared/library/hive/Hive.h"
#include "shared/library/hive/HiveLog.h"
#include "shared/library/hive/HiveWalk.h"
#include "tests/support/HiveSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

namespace {

using namespace Velmar;
using Clock = std::chrono::steady_clock;

#ifdef _WIN32
constexpr AnsiConverter kConvert = toAnsi;
#else
constexpr AnsiConverter kConvert = toAnsi1252;
#endif

class Touch : public hive::HiveVisitor {
public:
    void key(const std::u16string&, const std::u16string& name,
             const std::vector<hive::Value>& values) override {
        sum += name.size();
        for (const hive::Value& v : values) sum += v.data.size() + v.name.size();
    }
    size_t sum = 0;
};

class Count : public CandidateSink {
public:
    bool processCandidate(std::string) override { return ++count, true; }
    size_t count = 0;
};

class Quiet : public Log {
public:
    int32_t debugLevel() const override { return 0; }
    void debug(int32_t, const char*, const LogParams&) override {}
    void message(Severity, int32_t, const LogParams&) override {}
};

class NoReferences : public ReferenceSource {
public:
    bool readRaw(const std::string&, std::string&) override { return false; }
};

class NoExpansion : public TextExpander {
public:
    std::string expand(const std::string& /*keyPath*/, const std::string& text) override {
        return text;
    }
};

double seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

std::vector<uint8_t> generated(int keys) {
    testing::hive::HiveWriter w(5);
    // Keys below 100 parents below the root, each with three values.
    std::vector<uint32_t> parents;
    const int perParent = std::max(1, keys / 100);
    for (int p = 0; p < 100 && p * perParent < keys; ++p) {
        std::vector<uint32_t> children;
        for (int k = 0; k < perParent; ++k) {
            const std::string n = std::to_string(p * perParent + k);
            const uint32_t values =
                w.valueList({w.value("DisplayName", true, 1, testing::hive::szData("Program " + n)),
                             w.value("InstallLocation", true, 1,
                                     testing::hive::szData("C:\\Program Files\\P" + n + "\\p.exe")),
                             w.value("Version", true, 4, {1, 0, 0, 0})});
            children.push_back(w.key("Key" + n, true, 0, 0, values, 3));
        }
        parents.push_back(w.key("Parent" + std::to_string(p), true, w.list("lh", children),
                                static_cast<uint32_t>(children.size()), 0, 0));
    }
    w.setRoot(
        w.key("ROOT", true, w.list("lh", parents), static_cast<uint32_t>(parents.size()), 0, 0));
    return w.bytes();
}

void measure(const std::string& name, const std::vector<uint8_t>& file, int runs) {
    double reader = 1e9;
    double offline = 1e9;
    size_t keys = 0;
    size_t candidates = 0;
    for (int r = 0; r < runs; ++r) {
        // Each run starts from the file's bytes in memory, as the program holds
        // them once read: the copy that keeps `file` for the next run is not timed.
        std::vector<uint8_t> bytes = file;
        std::vector<uint8_t> copy = file;
        auto start = Clock::now();
        hive::recoverHive(bytes, {});
        const hive::Hive parsed(std::move(bytes));
        Touch touch;
        keys = hive::walkHive(parsed, touch).keys;
        reader = std::min(reader, seconds(start));

        // The offline pass as the program makes it: recovery, parse and the
        // scan's walk, texts in the host's code page where there is one.
        start = Clock::now();
        hive::recoverHive(copy, {});
        const hive::Hive scanned(std::move(copy));
        Quiet quiet;
        HiveKeySource source(scanned, kConvert, "S-1-5-21-1");
        Count count;
        NoReferences references;
        NoExpansion expansion;
        std::deque<std::string> queue{"S-1-5-21-1"};
        walkRegistry(source, "HKEY_USERS", queue, count, quiet, {references, expansion, kConvert});
        offline = std::min(offline, seconds(start));
        candidates = count.count;
    }
    std::printf(
        "%-28s %8zu keys %7.2f MB  reader %9.0f keys/s %7.1f MB/s  offline pass %9.0f keys/s"
        "  (%zu candidates)\n",
        name.c_str(), keys, file.size() / 1e6, keys / reader, file.size() / 1e6 / reader,
        keys / offline, candidates);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--generate" && i + 2 < argc) {
            const int keys = std::atoi(argv[++i]);
            const std::string path = argv[++i];
            const std::vector<uint8_t> file = generated(keys);
            testing::hive::writeFile(path, file);
            measure("generated " + std::to_string(keys), file, runs);
        } else {
            measure(arg.substr(arg.find_last_of("/\\") + 1), testing::hive::readFile(arg), runs);
        }
    }
    return 0;
}
