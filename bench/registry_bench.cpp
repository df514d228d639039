// Registry scan benchmark, run under Wine or on Windows.
//
//   registry_bench [--keep] [--runs N]
//
// Builds a hive of 200,000 keys below HKEY_CURRENT_USER\Software\StocksweepBench
// (once; "--keep" leaves it for the next run), with executable paths scattered
// through key names, value names and value texts of every text type. Then it
// walks HKEY_LOCAL_MACHINE and the generated hive, each with the application's
// registry scan (at debug level 0, candidates cleaned, tested on disk and
// collected) and with a minimal walk that makes the same registry calls and
// nothing else. Every walk runs in a process of its own, so that its peak
// memory is its own. Prints keys per second, peak memory and the time ratio.
#include "app/CandidateFilesWin.h"
#include "app/CandidateSet.h"
#include "app/RegistryScan.h"
#include "shared/library/common/win32/WinApi.h"
#include "shared/library/common/win32/WinHandle.h"
#include "shared/library/common/win32/Wow64.h"

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

constexpr char kBenchKey[] = "Software\\StocksweepBench";
constexpr char kCompleteValue[] = "complete";
// 50 x 40 x 100 leaves, plus the 2,050 keys above them: 202,050 keys.
constexpr int kTop = 50;
constexpr int kMiddle = 40;
constexpr int kLeaves = 100;
constexpr int kDefaultRuns = 3;

// A log at debug level 0 that only counts what reaches it.
class CountingLog : public AppLog {
public:
    int32_t debugLevel() const override { return 0; }
    void debug(int32_t, const char*, const LogParams&) override { ++debugs; }
    void message(Severity, int32_t, const LogParams&) override { ++messages; }
    long debugs = 0;
    long messages = 0;
    double cpu = 0;
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

void setText(HKEY key, const std::string& name, DWORD type, const std::string& data) {
    check(::RegSetValueExA(key, name.c_str(), 0, type,
                           reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size() + 1)),
          "RegSetValueExA " + name);
}

UniqueHKey createKey(HKEY parent, const std::string& name) {
    UniqueHKey key;
    check(::RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.put(), nullptr),
          "RegCreateKeyExA " + name);
    return key;
}

// One leaf: two values always; every 7th an executable in a REG_SZ command
// line, every 13th a REG_EXPAND_SZ, every 29th a REG_MULTI_SZ, every 31st a
// value named like a path, every 97th key named like an executable. About one
// path in four names a file that exists.
void fillLeaf(HKEY middle, int n) {
    const std::string name = n % 97 == 0 ? "prog" + std::to_string(n) + ".exe"
                                         : "key" + std::to_string(n);
    UniqueHKey leaf = createKey(middle, name);
    const DWORD number = static_cast<DWORD>(n);
    check(::RegSetValueExA(leaf.get(), "Count", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&number), sizeof(number)),
          "RegSetValueExA Count");
    setText(leaf.get(), "Description", REG_SZ, "An entry without programs, number " +
                                                   std::to_string(n));
    const std::string exe = n % 4 == 0 ? "C:\\windows\\system32\\notepad.exe"
                                       : "C:\\Program Files\\App" + std::to_string(n % 500) +
                                             "\\tool" + std::to_string(n % 7) + ".exe";
    if (n % 7 == 0) setText(leaf.get(), "Command", REG_SZ, "\"" + exe + "\" /run %1");
    if (n % 13 == 0) {
        setText(leaf.get(), "Expand", REG_EXPAND_SZ, "%SystemRoot%\\system32\\regedit.exe -s");
    }
    if (n % 29 == 0) {
        std::string multi = exe + '\0' + "D:\\Other\\x" + std::to_string(n) + ".EXE";
        check(::RegSetValueExA(leaf.get(), "List", 0, REG_MULTI_SZ,
                               reinterpret_cast<const BYTE*>(multi.data()),
                               static_cast<DWORD>(multi.size() + 2)),
              "RegSetValueExA List");
    }
    if (n % 31 == 0) setText(leaf.get(), exe, REG_SZ, "installed");
}

void generate() {
    UniqueHKey base = createKey(HKEY_CURRENT_USER, kBenchKey);
    DWORD done = 0;
    DWORD size = sizeof(done);
    if (::RegQueryValueExA(base.get(), kCompleteValue, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(&done), &size) == ERROR_SUCCESS && done) {
        return;
    }
    std::printf("generating %d keys below HKEY_CURRENT_USER\\%s...\n",
                kTop * kMiddle * kLeaves + kTop * kMiddle + kTop, kBenchKey);
    std::fflush(stdout);
    int n = 0;
    for (int t = 0; t < kTop; ++t) {
        UniqueHKey top = createKey(base.get(), "Top" + std::to_string(t));
        for (int m = 0; m < kMiddle; ++m) {
            UniqueHKey middle = createKey(top.get(), "Mid" + std::to_string(m));
            for (int l = 0; l < kLeaves; ++l) fillLeaf(middle.get(), ++n);
        }
    }
    done = 1;
    check(::RegSetValueExA(base.get(), kCompleteValue, 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&done), sizeof(done)),
          "RegSetValueExA complete");
}

bool isTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The same registry calls as the scan, in the same order, and nothing else.
long minimalWalk(HKEY root, const std::string& start, bool view32) {
    const REGSAM view = view32 ? KEY_WOW64_32KEY : 0;
    std::deque<std::string> queue{start};
    std::vector<char> name(16384);
    std::vector<char> data(4096);
    long keys = 0;
    while (!queue.empty()) {
        const std::string path = std::move(queue.back());
        queue.pop_back();
        ++keys;
        UniqueHKey key;
        bool values = true;
        if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | view,
                            key.put()) != ERROR_SUCCESS) {
            values = false;
            if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | view,
                                key.put()) != ERROR_SUCCESS) {
                continue;
            }
        }
        for (DWORD i = 0;; ++i) {
            DWORD length = static_cast<DWORD>(name.size());
            if (::RegEnumKeyExA(key.get(), i, name.data(), &length, nullptr, nullptr, nullptr,
                                nullptr) != ERROR_SUCCESS) {
                break;
            }
            queue.push_back(path.empty() ? std::string(name.data(), length)
                                         : path + "\\" + std::string(name.data(), length));
        }
        if (path.empty() || !values) continue;
        std::vector<std::pair<std::string, DWORD>> names;
        for (DWORD i = 0;; ++i) {
            DWORD length = static_cast<DWORD>(name.size());
            DWORD type = 0;
            if (::RegEnumValueA(key.get(), i, name.data(), &length, nullptr, &type, nullptr,
                                nullptr) != ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(std::string(name.data(), length), type);
        }
        for (const auto& value : names) {
            if (!isTextType(value.second)) continue;
            DWORD size = static_cast<DWORD>(data.size());
            if (::RegQueryValueExA(key.get(), value.first.c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_MORE_DATA) {
                data.resize(size);
                ::RegQueryValueExA(key.get(), value.first.c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data.data()), &size);
            }
        }
    }
    return keys;
}

struct Target {
    const char* label;
    HKEY root;
    const char* rootName;
    std::string start;
    bool view32;
};

std::vector<Target> targets() {
    return {{"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "", isWow64()},
            {"generated hive", HKEY_CURRENT_USER, "HKEY_CURRENT_USER", kBenchKey, false}};
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
int runChild(const std::string& kind, size_t targetIndex) {
    const Target target = targets().at(targetIndex);
    const double cpuBefore = processCpuSeconds();
    const auto begin = std::chrono::steady_clock::now();
    long keys = 0;
    size_t candidates = 0;
    long messages = 0;
    if (kind == "minimal") {
        keys = minimalWalk(target.root, target.start, target.view32);
    } else {
        CandidateFilesWin files;
        FileNameResolver resolver;
        CountingLog log;
        CandidateSet set(files, resolver, log);
        std::deque<std::string> queue{target.start};
        scanRegistryRoot(target.root, target.rootName, target.view32, queue, set, log);
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
std::string runWalk(const std::string& kind, size_t targetIndex) {
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof(temp), temp);
    const std::string out = std::string(temp) + "registry_bench_" +
                            std::to_string(::GetCurrentProcessId()) + ".txt";
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
    std::string command = "\"" + ownPath() + "\" --child " + kind + " " +
                          std::to_string(targetIndex);
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

Sample runOnce(const std::string& kind, size_t targetIndex) {
    std::istringstream line(runWalk(kind, targetIndex));
    Sample s;
    line >> s.keys >> s.seconds >> s.peak >> s.candidates >> s.messages >> s.cpu;
    if (!line) {
        std::fprintf(stderr, "registry_bench: the %s walk gave no result\n", kind.c_str());
        std::exit(2);
    }
    return s;
}

// The fastest of `runs` runs of each walk, the two taking turns so that a
// change in the machine's load falls on both.
std::pair<Sample, Sample> bestPair(size_t targetIndex, int runs) {
    Sample minimal;
    Sample scan;
    for (int i = 0; i < runs; ++i) {
        const Sample m = runOnce("minimal", targetIndex);
        const Sample s = runOnce("scan", targetIndex);
        if (i == 0 || m.seconds < minimal.seconds) minimal = m;
        if (i == 0 || s.seconds < scan.seconds) scan = s;
    }
    return {minimal, scan};
}

int runDriver(bool keep, int runs) {
    generate();
    std::printf("%-20s %-8s %9s %10s %12s %10s %8s %10s\n", "hive", "walk", "keys", "seconds",
                "keys/second", "peak MiB", "ratio", "own CPU s");
    for (size_t t = 0; t < targets().size(); ++t) {
        const auto samples = bestPair(t, runs);
        const Sample& minimal = samples.first;
        const Sample& scan = samples.second;
        const double mib = 1024.0 * 1024.0;
        std::printf("%-20s %-8s %9ld %10.3f %12.0f %10.1f %8s %10.3f\n", targets()[t].label,
                    "minimal", minimal.keys, minimal.seconds, minimal.keys / minimal.seconds,
                    minimal.peak / mib, "", minimal.cpu);
        std::printf("%-20s %-8s %9ld %10.3f %12.0f %10.1f %8.3f %10.3f\n", targets()[t].label,
                    "scan", minimal.keys, scan.seconds, minimal.keys / scan.seconds,
                    scan.peak / mib, scan.seconds / minimal.seconds, scan.cpu);
        std::printf("%-20s candidates kept %zu, messages %ld\n", "", scan.candidates,
                    scan.messages);
    }
    if (!keep) {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kBenchKey);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kBenchKey);
    }
    return 0;
}

}  // namespace
}  // namespace Velmar

int main(int argc, char** argv) {
    bool keep = false;
    int runs = Velmar::kDefaultRuns;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--child" && i + 2 < argc) {
            return Velmar::runChild(argv[i + 1], std::strtoul(argv[i + 2], nullptr, 10));
        }
        if (arg == "--keep") keep = true;
        if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    }
    return Velmar::runDriver(keep, runs);
}
