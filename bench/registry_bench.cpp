// Registry scan benchmark, run under Wine or on Windows (bench/run-registry-bench
// runs it in a prefix of its own, for both builds).
//
//   registry_bench [--keys N] [--runs N] [--only hklm|generated] [--keep] [--split]
//   registry_bench --generate [--keys N]     make the generated hive and stop
//   registry_bench --remove [--keys N]       remove it
//
// The generated hive holds about N keys (200,000 unless told; a multiple of
// 5,000) with three values each, below HKEY_CURRENT_USER\Software, which is
// HKEY_USERS\<user>; executable paths are scattered through key names, value
// names and value texts of every text type. It is made once and kept until
// "--remove" (or a run without "--keep").
//
// Each hive, HKEY_LOCAL_MACHINE and the generated one (walked from
// HKEY_USERS), is walked by the application's registry scan (at debug level 0,
// candidates cleaned, tested on disk and collected) and by a raw walk of its
// own: every key opened from its parent, its subkeys listed, its values listed
// with their data, one registry call per item, nothing else. Every walk runs
// in a process of its own, so that its peak memory is its own; the two walks
// take turns, run after run. Prints every run, then the medians and the ratio.
#include "app/CandidateFilesWin.h"
#include "app/CandidateSet.h"
#include "app/RegistryScan.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/common/WinHandle.h"
#include "shared/library/system/Wow64.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace Velmar {
namespace {

constexpr char kBenchKeyBase[] = "Software\\StocksweepBench";
constexpr char kCompleteValue[] = "complete";
// 50 top keys, each with `middles` keys of 100 leaves: 5,000 leaves per middle level.
constexpr int kTop = 50;
constexpr int kLeaves = 100;
constexpr int kDefaultKeys = 200000;
constexpr int kDefaultRuns = 3;

// A log at debug level 0 that only counts what reaches it.
class CountingLog : public Log {
public:
    int32_t debugLevel() const override { return 0; }
    void debug(int32_t, const char*, const LogParams&) override { ++debugs; }
    void message(Severity, int32_t, const LogParams&) override { ++messages; }
    long debugs = 0;
    long messages = 0;
};

// Counts the paths handed on and takes none: the scan's own work without the
// candidates' cleaning, disk tests and bookkeeping.
class CountingSink : public CandidateSink {
public:
    bool processCandidate(std::string) override {
        ++paths;
        return false;
    }
    size_t paths = 0;
};

// Every executable keeps its own name: the resolver is not part of this walk.
class FileNameResolver : public NameResolver {
public:
    std::string applicationName(const std::string& path) override {
        return path.substr(path.find_last_of('\\') + 1);
    }
};

void check(LONG rc, const std::string& what) {
    if (rc != ERROR_SUCCESS) {
        std::fprintf(stderr, "registry_bench: %s failed (%ld)\n", what.c_str(), rc);
        std::exit(2);
    }
}

void setBytes(HKEY key, const std::string& name, DWORD type, const std::string& data) {
    check(::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size())),
          "RegSetValueExA " + name);
}

void setText(HKEY key, const std::string& name, DWORD type, const std::string& data) {
    setBytes(key, name, type, data + '\0');
}

UniqueHKey createKey(HKEY parent, const std::string& name) {
    UniqueHKey key;
    check(::RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                            nullptr),
          "RegCreateKeyExA " + name);
    return key;
}

std::string benchKey(int keys) { return kBenchKeyBase + std::to_string(keys); }

int middlesFor(int keys) { return std::max(1, keys / (kTop * kLeaves)); }

// One leaf, three values: a DWORD, a description, and a third that is every
// 7th key an executable in a REG_SZ command line, every 13th a REG_EXPAND_SZ,
// every 29th a REG_MULTI_SZ of two, every 31st a value named like a path, and
// else a location without a program. Every 97th key is named like an
// executable. About one path in four names a file that exists.
void fillLeaf(HKEY middle, int n) {
    const std::string name =
        n % 97 == 0 ? "prog" + std::to_string(n) + ".exe" : "key" + std::to_string(n);
    UniqueHKey leaf = createKey(middle, name);
    const DWORD number = static_cast<DWORD>(n);
    check(::RegSetValueExA(leaf.get(), "Count", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&number), sizeof(number)),
          "RegSetValueExA Count");
    setText(leaf.get(), "Description", REG_SZ,
            "An entry without programs, number " + std::to_string(n));
    const std::string exe = n % 4 == 0 ? "C:\\windows\\system32\\notepad.exe"
                                       : "C:\\Program Files\\App" + std::to_string(n % 500) +
                                             "\\tool" + std::to_string(n % 7) + ".exe";
    if (n % 7 == 0) {
        setText(leaf.get(), "Command", REG_SZ, "\"" + exe + "\" /run %1");
    } else if (n % 13 == 0) {
        setText(leaf.get(), "Expand", REG_EXPAND_SZ, "%SystemRoot%\\system32\\regedit.exe -s");
    } else if (n % 29 == 0) {
        setBytes(leaf.get(), "List", REG_MULTI_SZ,
                 exe + '\0' + "D:\\Other\\x" + std::to_string(n) + ".EXE" + '\0' + '\0');
    } else if (n % 31 == 0) {
        setText(leaf.get(), exe, REG_SZ, "installed");
    } else {
        setText(leaf.get(), "Location", REG_SZ, "C:\\Data\\Entry" + std::to_string(n));
    }
}

void generate(int keys) {
    UniqueHKey base = createKey(HKEY_CURRENT_USER, benchKey(keys));
    DWORD done = 0;
    DWORD size = sizeof(done);
    if (::RegQueryValueExA(base.get(), kCompleteValue, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&done), &size) == ERROR_SUCCESS &&
        done) {
        return;
    }
    const int middles = middlesFor(keys);
    std::printf("generating %d keys below HKEY_CURRENT_USER\\%s...\n",
                kTop * middles * kLeaves + kTop * middles + kTop, benchKey(keys).c_str());
    std::fflush(stdout);
    int n = 0;
    for (int t = 0; t < kTop; ++t) {
        UniqueHKey top = createKey(base.get(), "Top" + std::to_string(t));
        for (int m = 0; m < middles; ++m) {
            UniqueHKey middle = createKey(top.get(), "Mid" + std::to_string(m));
            for (int l = 0; l < kLeaves; ++l) fillLeaf(middle.get(), ++n);
        }
    }
    done = 1;
    check(::RegSetValueExA(base.get(), kCompleteValue, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&done), sizeof(done)),
          "RegSetValueExA complete");
}

void removeHive(int keys) {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, benchKey(keys).c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, benchKey(keys).c_str());
}

// The least a walk of the whole hive must do, written without the program's
// code: open each key from its parent, list its subkeys, list its values with
// their data, one registry call per item (again only when a buffer was too
// small), depth first.
class RawWalk {
public:
    explicit RawWalk(REGSAM view) : view_(view), name_(16384), data_(4096) {}

    long walk(HKEY parent, const std::string& name) {
        UniqueHKey key;
        if (::RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | view_, key.put()) !=
            ERROR_SUCCESS) {
            return 0;
        }
        std::vector<std::string> subKeys;
        for (DWORD i = 0;;) {
            DWORD length = static_cast<DWORD>(name_.size());
            const LONG rc = ::RegEnumKeyExA(key.get(), i, name_.data(), &length, nullptr, nullptr,
                                            nullptr, nullptr);
            if (rc == ERROR_MORE_DATA) {
                name_.resize(name_.size() * 2);
                continue;
            }
            if (rc != ERROR_SUCCESS) break;
            subKeys.emplace_back(name_.data(), length);
            ++i;
        }
        for (DWORD i = 0;;) {
            DWORD length = static_cast<DWORD>(name_.size());
            DWORD size = static_cast<DWORD>(data_.size());
            DWORD type = 0;
            const LONG rc = ::RegEnumValueA(key.get(), i, name_.data(), &length, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data_.data()), &size);
            if (rc == ERROR_MORE_DATA) {
                if (size > data_.size()) {
                    data_.resize(size);
                } else {
                    name_.resize(name_.size() * 2);
                }
                continue;
            }
            if (rc != ERROR_SUCCESS) break;
            bytes_ += size;
            ++i;
        }
        long keys = 1;
        for (auto it = subKeys.rbegin(); it != subKeys.rend(); ++it) keys += walk(key.get(), *it);
        return keys;
    }

    size_t bytes() const { return bytes_; }

private:
    REGSAM view_;
    std::vector<char> name_;
    std::vector<char> data_;
    size_t bytes_ = 0;
};

struct Target {
    const char* label;
    HKEY root;
    const char* rootName;
    std::string start;
    bool view32;
};

// The generated hive's path below HKEY_USERS: the user key that holds it.
std::string generatedBelowUsers(int keys) {
    UniqueHKey users;
    check(::RegOpenKeyExA(HKEY_USERS, "", 0, KEY_ENUMERATE_SUB_KEYS, users.put()),
          "RegOpenKeyExA HKEY_USERS");
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof(name);
        if (::RegEnumKeyExA(users.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::string path = std::string(name, length) + "\\" + benchKey(keys);
        UniqueHKey probe;
        if (::RegOpenKeyExA(HKEY_USERS, path.c_str(), 0, KEY_READ, probe.put()) == ERROR_SUCCESS) {
            return path;
        }
    }
    std::fprintf(stderr, "registry_bench: no generated hive of %d keys below HKEY_USERS\n", keys);
    std::exit(2);
}

Target target(const std::string& which, int keys) {
    if (which == "hklm") {
        return {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "", isWow64()};
    }
    return {"generated", HKEY_USERS, "HKEY_USERS", generatedBelowUsers(keys), isWow64()};
}

size_t peakPrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))
               ? counters.PeakPagefileUsage
               : 0;
}

// User and kernel time of this process. Under Wine the registry itself runs in
// the wineserver, so this is the walk's own work without the registry's.
double processCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;  // 100 ns units
}

// One walk in this process: prints
// "<keys> <seconds> <peak bytes> <candidates> <messages> <cpu seconds>".
int runChild(const std::string& kind, const std::string& which, int hiveKeys) {
    const Target t = target(which, hiveKeys);
    const double cpuBefore = processCpuSeconds();
    const auto begin = std::chrono::steady_clock::now();
    long keys = 0;
    size_t candidates = 0;
    long messages = 0;
    if (kind == "raw") {
        RawWalk walk(t.view32 ? KEY_WOW64_32KEY : 0);
        keys = walk.walk(t.root, t.start);
    } else if (kind == "walk") {
        CountingSink sink;
        CountingLog log;
        std::deque<std::string> queue{t.start};
        ProcessEnvironment environment(log);
        scanRegistryRoot(t.root, t.rootName, t.view32, queue, sink, log, environment);
        candidates = sink.paths;
        messages = log.messages;
    } else {
        CandidateFilesWin files;
        FileNameResolver resolver;
        CountingLog log;
        CandidateSet set(files, resolver, log, toAnsi);
        std::deque<std::string> queue{t.start};
        ProcessEnvironment environment(log);
        scanRegistryRoot(t.root, t.rootName, t.view32, queue, set, log, environment);
        candidates = set.candidates().size();
        messages = log.messages;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("%ld %.6f %zu %zu %ld %.6f\n", keys, seconds, peakPrivateBytes(), candidates,
                messages, processCpuSeconds() - cpuBefore);
    return 0;
}

std::string ownPath() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof(path));
    return std::string(path, length);
}

// Runs this program for one walk; its output line, read from a file.
std::string runWalk(const std::string& kind, const std::string& which, int hiveKeys) {
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof(temp), temp);
    const std::string out =
        std::string(temp) + "registry_bench_" + std::to_string(::GetCurrentProcessId()) + ".txt";
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    UniqueFileHandle file(::CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return "";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file.get();
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION info{};
    std::string command =
        "\"" + ownPath() + "\" --child " + kind + " " + which + " " + std::to_string(hiveKeys);
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &info)) {
        return "";
    }
    UniqueKernelHandle process(info.hProcess);
    UniqueKernelHandle thread(info.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    file.reset();
    std::ifstream in(out);
    std::string line;
    std::getline(in, line);
    in.close();
    ::DeleteFileA(out.c_str());
    return line;
}

struct Sample {
    long keys = 0;
    double seconds = 0;
    size_t peak = 0;
    size_t candidates = 0;
    long messages = 0;
    double cpu = 0;
};

Sample runOnce(const std::string& kind, const std::string& which, int hiveKeys) {
    std::istringstream line(runWalk(kind, which, hiveKeys));
    Sample s;
    line >> s.keys >> s.seconds >> s.peak >> s.candidates >> s.messages >> s.cpu;
    if (!line) {
        std::fprintf(stderr, "registry_bench: the %s walk gave no result\n", kind.c_str());
        std::exit(2);
    }
    return s;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

constexpr double kMiB = 1024.0 * 1024.0;

void printRun(const char* label, const char* kind, int run, const Sample& s, long keys) {
    std::printf("%-20s %-5s %3d %9ld %9.3f %9.3f %11.0f %9.1f\n", label, kind, run, keys, s.seconds,
                s.cpu, keys / s.seconds, s.peak / kMiB);
    std::fflush(stdout);
}

struct Series {
    std::vector<double> wall, cpu, peak;
    Sample last;
};

// The raw walk and the scan take turns, `runs` times, so that a change in the
// machine's load falls on both; the medians of each. With `split`, each round
// also runs the scan with a sink that takes no path ("walk"), which tells the
// scan's registry work from its candidates' processing.
void measure(const std::string& which, int hiveKeys, int runs, bool split) {
    const std::string label =
        which == "hklm" ? "HKEY_LOCAL_MACHINE" : "generated " + std::to_string(hiveKeys);
    std::vector<std::string> kinds = {"raw", "scan"};
    if (split) kinds.push_back("walk");
    std::map<std::string, Series> series;
    long keys = 0;
    for (int i = 1; i <= runs; ++i) {
        for (const std::string& kind : kinds) {
            const Sample s = runOnce(kind, which, hiveKeys);
            if (kind == "raw") keys = s.keys;
            printRun(label.c_str(), kind.c_str(), i, s, keys);
            Series& to = series[kind];
            to.wall.push_back(s.seconds);
            to.cpu.push_back(s.cpu);
            to.peak.push_back(s.peak / kMiB);
            to.last = s;
        }
    }
    const double raw = median(series["raw"].wall);
    for (const std::string& kind : kinds) {
        Series& s = series[kind];
        const double wall = median(s.wall);
        std::printf("%-20s median %-4s %9.3f s %9.3f CPU s %9.0f keys/s %6.1f MiB  ratio %.3f\n",
                    label.c_str(), kind.c_str(), wall, median(s.cpu), keys / wall, median(s.peak),
                    wall / raw);
    }
    std::printf("%-20s scan kept %zu candidates, logged %ld messages\n", "",
                series["scan"].last.candidates, series["scan"].last.messages);
    std::fflush(stdout);
}

int runDriver(int hiveKeys, int runs, const std::string& only, bool keep, bool split) {
    generate(hiveKeys);
    std::printf("%-20s %-5s %3s %9s %9s %9s %11s %9s\n", "hive", "walk", "run", "keys", "seconds",
                "CPU s", "keys/s", "peak MiB");
    for (const char* which : {"hklm", "generated"}) {
        if (only.empty() || only == which) measure(which, hiveKeys, runs, split);
    }
    if (!keep) removeHive(hiveKeys);
    return 0;
}

}  // namespace
}  // namespace Velmar

int main(int argc, char** argv) {
    bool keep = false;
    bool split = false;
    int runs = Velmar::kDefaultRuns;
    int keys = Velmar::kDefaultKeys;
    std::string only;
    std::string action;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child" && i + 3 < argc) {
            return Velmar::runChild(argv[i + 1], argv[i + 2], std::atoi(argv[i + 3]));
        }
        if (arg == "--keep") keep = true;
        if (arg == "--split") split = true;
        if (arg == "--generate" || arg == "--remove") action = arg;
        if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        if (arg == "--keys" && i + 1 < argc) keys = std::max(5000, std::atoi(argv[++i]));
        if (arg == "--only" && i + 1 < argc) only = argv[++i];
    }
    if (action == "--generate") {
        Velmar::generate(keys);
        return 0;
    }
    if (action == "--remove") {
        Velmar::removeHive(keys);
        return 0;
    }
    return Velmar::runDriver(keys, runs, only, keep, split);
}
