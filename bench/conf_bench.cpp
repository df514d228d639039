// Configuration reader benchmark: builds the tree of generated configurations
// of 1,000, 10,000 and 100,000 entries in nested groups, and times a String
// lookup whose value holds references three levels deep. In the Windows build
// the same configurations are also read from a file through the reader.
//
// Usage: conf_bench [repetitions]   (default 5; the best time counts)
#include "shared/library/common/ConfParser.h"
#include "shared/library/common/ConfTree.h"

#ifdef _WIN32
#include "shared/library/common/ConfReader.h"
#include "shared/library/common/FileUtils.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerCentre.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

using namespace Velmar;
using Clock = std::chrono::steady_clock;

class NoLog : public ConfLog {
public:
    void debug(int32_t, const char*, const ConfLogParams&) override {}
    void error(int32_t, const ConfLogParams&) override {}
};

constexpr int kGroupSize = 10;   // entries per innermost group
constexpr int kGroupsPerTop = 10;  // innermost groups per top-level group

// `entries` String entries, ten to a group, ten groups to a top-level group:
//   top0 () = '' { group0 () = '' { e0 (String) = 'value 0 of the bench' {} ... } ... }
// followed by the chain of references that the lookup resolves.
std::string generate(int entries) {
    std::string text;
    text.reserve(static_cast<size_t>(entries) * 48);
    for (int e = 0; e < entries; ++e) {
        if (e % (kGroupSize * kGroupsPerTop) == 0) {
            if (e > 0) text += "  }\n}\n";
            text += "top" + std::to_string(e / (kGroupSize * kGroupsPerTop)) + " () = '' {\n";
        } else if (e % kGroupSize == 0) {
            text += "  }\n";
        }
        if (e % kGroupSize == 0) text += "  group" + std::to_string(e / kGroupSize) + " () = '' {\n";
        text += "    e" + std::to_string(e) + " (String) = 'value " + std::to_string(e) +
                " of the bench' {}\n";
    }
    if (entries > 0) text += "  }\n}\n";
    text +=
        "refs () = '' {\n"
        "  base (DirName) = 'C:/velmar' {}\n"
        "  one (String) = '${refs.base}data' {}\n"
        "  two (String) = '${refs.one}/inventory' {}\n"
        "  three (String) = '${refs.two}/${refs.one}/out.txt' {}\n"
        "}\n";
    return text;
}

// The best of `repetitions` runs of `work`, in seconds.
double best(int repetitions, const std::function<void()>& work) {
    double fastest = 1e30;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        work();
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

void report(const char* what, int entries, double seconds, double previous) {
    std::printf("%-22s %7d entries: %9.3f ms  %7.1f ns/entry", what, entries, seconds * 1e3,
                seconds * 1e9 / entries);
    if (previous > 0) std::printf("  (x%.1f for x10 entries)", seconds / previous);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    NoLog log;

    double previous = 0;
    for (int entries : {1000, 10000, 100000}) {
        const std::string text = generate(entries);
        ConfTree tree(log);
        const double seconds = best(repetitions, [&] { tree.build(text, "bench.conf"); });
        std::string check;
        if (tree.getString("top0.group0.e0", check) != CR_OK) return 1;
        report("build from text", entries, seconds, previous);
        previous = seconds;
    }

    ConfTree tree(log);
    tree.build(generate(10000), "bench.conf");
    std::string value;
    const int kLookups = 100000;
    const double lookups = best(repetitions, [&] {
        for (int i = 0; i < kLookups; ++i) tree.getString("refs.three", value);
    });
    std::printf("getString, 3 levels of references: %.0f ns per lookup -> \"%s\"\n",
                lookups * 1e9 / kLookups, value.c_str());

#ifdef _WIN32
    // Through the reader and the file layer: the same texts written to a file.
    setDebugLevel(0);
    auto centre = std::make_shared<LoggerCentre>(5, SmartPointer<LogMessenger>());
    ConfReader reader(centre);
    previous = 0;
    for (int entries : {1000, 10000, 100000}) {
        const std::string path = "conf_bench_" + std::to_string(entries) + ".conf";
        if (!writeTextFile(path, generate(entries))) return 1;
        const double seconds = best(repetitions, [&] { reader.buildDomTree(path); });
        std::string check;
        if (reader.getString("top0.group0.e0", check) != CR_OK) return 1;
        report("buildDomTree (file)", entries, seconds, previous);
        previous = seconds;
        std::remove(path.c_str());
    }
#endif
    return 0;
}
