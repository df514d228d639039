// Configuration reader benchmark: builds the tree of generated configurations
// of 1,000, 10,000 and 100,000 entries in nested groups, and times a String
// lookup whose value holds references three levels deep. In the Windows build
// the same configurations are also read from a file through the reader.
//
// Usage: conf_bench [repetitions]   (default 5; the best wall-clock time and the
// mean CPU time are printed)
#include "shared/library/config/ConfParser.h"
#include "shared/library/config/ConfTree.h"

#ifdef _WIN32
#include "shared/library/common/WinApi.h"
#include "shared/library/config/ConfReader.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerCentre.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#ifndef _WIN32
#include <ctime>
#endif

namespace {

using namespace Velmar;
using Clock = std::chrono::steady_clock;

class NoLog : public Log {
public:
    int32_t debugLevel() const override { return 0; }
    void debug(int32_t, const char*, const LogParams&) override {}
    void message(Severity, int32_t, const LogParams&) override {}
};

constexpr int kGroupSize = 10;     // entries per innermost group
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
        if (e % kGroupSize == 0)
            text += "  group" + std::to_string(e / kGroupSize) + " () = '' {\n";
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

// CPU seconds used by the process so far: on a machine shared with other
// work, wall-clock times of longer runs include waiting for a processor.
double cpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) * 1e-7;  // 100 ns units
#else
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
#endif
}

struct Timing {
    double wall = 1e30;
    double cpu = 1e30;
};

// The best wall-clock time and the mean CPU time of `repetitions` runs of
// `work` (a mean, since some clocks count CPU time in 10 ms steps).
Timing best(int repetitions, const std::function<void()>& work) {
    Timing fastest;
    const double cpuStart = cpuSeconds();
    for (int r = 0; r < repetitions; ++r) {
        const auto start = Clock::now();
        work();
        fastest.wall =
            std::min(fastest.wall, std::chrono::duration<double>(Clock::now() - start).count());
    }
    fastest.cpu = (cpuSeconds() - cpuStart) / repetitions;
    return fastest;
}

void report(const char* what, int entries, const Timing& t, const Timing& previous) {
    std::printf("%-20s %6d entries: wall %8.2f ms, cpu %8.2f ms, %6.0f ns/entry (cpu)", what,
                entries, t.wall * 1e3, t.cpu * 1e3, t.cpu * 1e9 / entries);
    if (previous.cpu > 0 && previous.cpu < 1e30)
        std::printf("  x%.1f cpu for x10 entries", t.cpu / previous.cpu);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    NoLog log;

    Timing previous;
    for (int entries : {1000, 10000, 100000}) {
        const std::string text = generate(entries);
        ConfTree tree(log);
        const Timing seconds = best(repetitions, [&] { tree.build(text, "bench.conf"); });
        std::string check;
        if (tree.getString("top0.group0.e0", check) != CR_OK) return 1;
        report("build from text", entries, seconds, previous);
        previous = seconds;
    }

    ConfTree tree(log);
    tree.build(generate(10000), "bench.conf");
    std::string value;
    const int kLookups = 100000;
    const Timing lookups = best(repetitions, [&] {
        for (int i = 0; i < kLookups; ++i) tree.getString("refs.three", value);
    });
    std::printf(
        "getString, 3 levels of references (10,000-entry tree): wall %.0f ns, cpu %.0f ns"
        " per lookup -> \"%s\"\n",
        lookups.wall * 1e9 / kLookups, lookups.cpu * 1e9 / kLookups, value.c_str());

#ifdef _WIN32
    // Through the reader and the file layer: the same texts written to a file.
    setDebugLevel(0);
    auto centre = std::make_shared<LoggerCentre>(5, SmartPointer<LogMessenger>());
    ConfReader reader(centre);
    previous = Timing();
    for (int entries : {1000, 10000, 100000}) {
        const std::string path = "conf_bench_" + std::to_string(entries) + ".conf";
        if (!writeTextFile(path, generate(entries))) return 1;
        const Timing seconds = best(repetitions, [&] { reader.buildDomTree(path); });
        std::string check;
        if (reader.getString("top0.group0.e0", check) != CR_OK) return 1;
        report("buildDomTree (file)", entries, seconds, previous);
        previous = seconds;
        std::remove(path.c_str());
    }
#endif
    return 0;
}
