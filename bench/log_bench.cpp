// Throughput of the logging chain to the log file, against the least work the
// shared log file's protocol needs per line, and the cost of a debug call that
// the debug level filters out.
//
//   log_bench [LINES]     (default 20000)
//
// 1. LINES debug lines through LoggerUnit::debug (unit, centre, forwarding
//    messenger, file agent: both locks, the check that the file under the path
//    is the open one, append, flush) at debug level 5.
// 2. The same finished lines given to a file agent directly (the share of
//    the file agent in the chain's cost).
// 3. The protocol's baseline: per line take the named lock (open the mutex,
//    wait for it), move to the end of the file, write the finished line with
//    one WriteFile (which hands it to the system, as the chain's flush does),
//    release and close the mutex.
// 4. 1 and 3 again with four processes at once on one file each, LINES / 4
//    lines per process, started together: lines per second of all four.
// 5. The same lines appended by a bare loop, one WriteFile per line and no
//    lock; and once more with FlushFileBuffers after every line, for scale.
// 6. Debug calls with a level above the debug level, plain text and with
//    parameters: nanoseconds per call and the heap allocations they made.
//
// Works in a temporary directory and a registry key of its own under
// HKEY_CURRENT_USER (the suite key for the run), both removed at the end.
//
//   log_bench --child chain|baseline PATH LINES EVENT
// is one of the four processes of step 4: it waits for the event, then writes.
#include "shared/library/common/SmartPointer.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/common/WinHandle.h"
#include "shared/library/logger/LogMessenger.h"
#include "shared/library/logger/LogMessengerIPC.h"
#include "shared/library/logger/LogRecord.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerAgentFile.h"
#include "shared/library/logger/LoggerCentre.h"
#include "shared/library/logger/LoggerUnit.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<uint64_t> allocations{0};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Seconds per line of the fastest chunk of kChunkLines consecutive lines: on a
// machine that others share, the fastest stretch is the one that shows the
// cost of the work rather than the waits for a processor.
constexpr long kChunkLines = 500;

class ChunkTimer {
public:
    // Call after every line.
    void lineDone() {
        if (++inChunk_ < kChunkLines) return;
        const double perLine = secondsSince(chunkStart_) / static_cast<double>(inChunk_);
        if (best_ < 0 || perLine < best_) best_ = perLine;
        inChunk_ = 0;
        chunkStart_ = Clock::now();
    }
    // The fastest chunk's seconds per line; the whole run's when it had no
    // whole chunk.
    double bestPerLine(long lines) const {
        return best_ >= 0 ? best_ : secondsSince(start_) / static_cast<double>(lines);
    }

private:
    Clock::time_point start_ = Clock::now();
    Clock::time_point chunkStart_ = start_;
    long inChunk_ = 0;
    double best_ = -1;
};

constexpr int32_t kApplication = 5;
constexpr int32_t kModule = 24;
constexpr long kDefaultLines = 20000;
constexpr long kFilteredCalls = 10000000;
const std::string kText =
    "ExeFinder: Resolved \"c:\\program files\\vendor\\tool\\tool.exe\" to \"Vendor Tool\".";

std::string lineText(long n) { return kText + " #" + std::to_string(n); }

// The bare loop: one WriteFile per line, optionally made durable each time.
double bareLoop(const std::string& path, const std::vector<std::string>& lines, bool durable) {
    Velmar::UniqueFileHandle file(::CreateFileA(path.c_str(), FILE_APPEND_DATA,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return -1;
    const auto start = Clock::now();
    for (const std::string& line : lines) {
        DWORD written = 0;
        if (!::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written,
                         nullptr)) {
            return -1;
        }
        if (durable) ::FlushFileBuffers(file.get());
    }
    return secondsSince(start);
}

// What the protocol needs per line and no more: the named lock (a mutex whose
// handle exists only while it is held), the end of the file, one write.
// Seconds per line of the fastest chunk; -1 on failure.
double baselineLoop(const std::string& path, const std::vector<std::string>& lines) {
    const std::string lockName = path.substr(path.find_last_of('\\') + 1);
    Velmar::UniqueFileHandle file(::CreateFileA(
        path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return -1;
    ChunkTimer timer;
    for (const std::string& line : lines) {
        Velmar::UniqueKernelHandle mutex(::CreateMutexA(nullptr, FALSE, lockName.c_str()));
        if (!mutex) return -1;
        const DWORD waited = ::WaitForSingleObject(mutex.get(), 2000);
        if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return -1;
        LARGE_INTEGER zero{};
        DWORD written = 0;
        const bool ok = ::SetFilePointerEx(file.get(), zero, nullptr, FILE_END) &&
                        ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()),
                                    &written, nullptr);
        ::ReleaseMutex(mutex.get());
        if (!ok) return -1;
        timer.lineDone();
    }
    return timer.bestPerLine(static_cast<long>(lines.size()));
}

void setUpLogging() {
    using namespace Velmar;
    selectHive("HKEY_CURRENT_USER");
    setApplicationName("Stocksweep");
    setThreadIdSource([]() -> uint32_t { return ::GetCurrentThreadId(); });
    setDebugLevel(5);
}

std::vector<std::string> textsOf(long lines) {
    std::vector<std::string> texts;
    for (long n = 0; n < lines; ++n) texts.push_back(lineText(n));
    return texts;
}

// The chain on `path`: seconds per line of the fastest chunk.
double chainLoop(const std::string& path, const std::vector<std::string>& texts) {
    using namespace Velmar;
    auto agent = std::make_shared<LoggerAgentFile>();
    agent->setFile(path);
    auto centre = std::make_shared<LoggerCentre>(
        kApplication, std::make_shared<LogMessengerIPC>(agent, "StocksweepLogBenchNone"));
    LoggerUnit unit(centre, kModule);
    ChunkTimer timer;
    for (const std::string& text : texts) {
        unit.debug(1, text);
        timer.lineDone();
    }
    return timer.bestPerLine(static_cast<long>(texts.size()));
}

// The lines the chain writes for the texts, each with its line end.
std::vector<std::string> finishedLines(const std::vector<std::string>& texts) {
    using namespace Velmar;
    LogRecord record;
    record.kind = LogRecord::kDebug;
    record.application = kApplication;
    record.module = kModule;
    record.time = DateTime();
    record.debugLevel = 1;
    record.threadId = ::GetCurrentThreadId();
    std::vector<std::string> lines;
    for (const std::string& text : texts) {
        record.text = text;
        lines.push_back(LogMessenger::formatLogLine(record, false) + "\r\n");
    }
    return lines;
}

int child(const char* mode, const std::string& path, long lines, const char* eventName) {
    setUpLogging();
    const std::vector<std::string> texts = textsOf(lines);
    const std::vector<std::string> finished = finishedLines(texts);
    Velmar::UniqueKernelHandle start(::OpenEventA(SYNCHRONIZE, FALSE, eventName));
    if (!start || ::WaitForSingleObject(start.get(), INFINITE) != WAIT_OBJECT_0) return 3;
    const double seconds =
        std::strcmp(mode, "chain") == 0 ? chainLoop(path, texts) : baselineLoop(path, finished);
    return seconds < 0 ? 1 : 0;
}

// `processes` children of this program in `mode` on one file, started by one
// event: seconds from the start to the end of the last; -1 when one failed.
double inProcesses(const char* mode, int processes, const std::string& path, long linesEach) {
    char self[MAX_PATH + 1];
    ::GetModuleFileNameA(nullptr, self, sizeof(self));
    const std::string eventName =
        "StocksweepLogBenchStart-" + std::to_string(::GetCurrentProcessId()) + "-" + mode;
    Velmar::UniqueKernelHandle start(::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    std::vector<Velmar::UniqueKernelHandle> children;
    for (int p = 0; p < processes; ++p) {
        std::string command = std::string("\"") + self + "\" --child " + mode + " \"" + path +
                              "\" " + std::to_string(linesEach) + " " + eventName;
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &info)) {
            return -1;
        }
        ::CloseHandle(info.hThread);
        children.emplace_back(info.hProcess);
    }
    ::Sleep(2000);  // every child set up and waiting
    const auto begun = Clock::now();
    ::SetEvent(start.get());
    bool failed = false;
    for (auto& process : children) {
        ::WaitForSingleObject(process.get(), INFINITE);
        DWORD code = 1;
        ::GetExitCodeProcess(process.get(), &code);
        failed = failed || code != 0;
    }
    return failed ? -1 : secondsSince(begun);
}

void printRate(const char* what, double secondsPerLine) {
    if (secondsPerLine <= 0) {
        std::printf("%-36s failed\n", what);
        return;
    }
    std::printf("%-36s %8.0f lines/s (%.1f us/line)\n", what, 1 / secondsPerLine,
                secondsPerLine * 1e6);
}

}  // namespace

// Global allocation counted, so that the filtered-out calls can show they
// allocate nothing. GCC takes the replacement's free for a mismatched pair.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

int main(int argc, char** argv) {
    using namespace Velmar;
    if (argc == 6 && std::strcmp(argv[1], "--child") == 0) {
        return child(argv[2], argv[3], std::strtol(argv[4], nullptr, 10), argv[5]);
    }
    const long lines = argc > 1 ? std::strtol(argv[1], nullptr, 10) : kDefaultLines;

    char temp[MAX_PATH + 1];
    ::GetTempPathA(sizeof(temp), temp);
    const std::string dir =
        std::string(temp) + "StocksweepLogBench-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string key =
        "Software\\StocksweepLogBench-" + std::to_string(::GetCurrentProcessId());
    UniqueHKey suiteKey;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      suiteKey.put(), nullptr);
    ::SetEnvironmentVariableA("VELMAR_ENV", key.c_str());
    setUpLogging();

    const std::vector<std::string> texts = textsOf(lines);
    const double chainSeconds = chainLoop(dir + "chain.log", texts);
    // The baseline and the bare loop write exactly the lines the chain wrote.
    const std::vector<std::string> written = finishedLines(texts);
    // The agent alone, given the finished lines (without their line end).
    double agentSeconds = 0;
    {
        LoggerAgentFile agent;
        agent.setFile(dir + "agent.log");
        std::vector<std::string> finished;
        for (const std::string& line : written) finished.push_back(line.substr(0, line.size() - 2));
        ChunkTimer timer;
        for (const std::string& line : finished) {
            agent.write(line);
            timer.lineDone();
        }
        agentSeconds = timer.bestPerLine(lines);
    }
    const double baselineSeconds = baselineLoop(dir + "baseline.log", written);
    constexpr int kProcesses = 4;
    const long linesEach = lines / kProcesses;
    // Whole runs of four processes, the fastest of kRounds, the two kinds taking turns.
    constexpr int kRounds = 3;
    double chain4Seconds = -1;
    double baseline4Seconds = -1;
    for (int round = 0; round < kRounds; ++round) {
        const double chain = inProcesses("chain", kProcesses, dir + "chain4.log", linesEach);
        const double baseline =
            inProcesses("baseline", kProcesses, dir + "baseline4.log", linesEach);
        if (chain > 0 && (chain4Seconds < 0 || chain < chain4Seconds)) chain4Seconds = chain;
        if (baseline > 0 && (baseline4Seconds < 0 || baseline < baseline4Seconds)) {
            baseline4Seconds = baseline;
        }
    }
    const double bareSeconds = bareLoop(dir + "bare.log", written, false);
    const long durableLines = lines < 2000 ? lines : 2000;
    const double durableSeconds =
        bareLoop(dir + "durable.log",
                 std::vector<std::string>(written.begin(), written.begin() + durableLines), true);

    // Filtered out: level 5 above debug level 4.
    setDebugLevel(4);
    double plainNs = 0;
    double paramNs = 0;
    uint64_t plainAllocations = 0;
    uint64_t paramAllocations = 0;
    {
        auto centre = std::make_shared<LoggerCentre>(kApplication, nullptr);
        LoggerUnit unit(centre, kModule);
        volatile long passed = 0;
        const uint64_t before = allocations.load();
        auto start = Clock::now();
        for (long n = 0; n < kFilteredCalls; ++n)
            passed = passed + unit.debug(5, "SMScan: walking");
        plainNs = secondsSince(start) * 1e9 / kFilteredCalls;
        plainAllocations = allocations.load() - before;
        const std::string folder = "c:\\users\\x\\start menu";
        const uint64_t middle = allocations.load();
        start = Clock::now();
        for (long n = 0; n < kFilteredCalls; ++n) {
            passed = passed +
                     unit.debug(5, "SMScan: folder \"%s\", entry %i", folder, static_cast<int>(n));
        }
        paramNs = secondsSince(start) * 1e9 / kFilteredCalls;
        paramAllocations = allocations.load() - middle;
    }

    const double lines4 = static_cast<double>(linesEach * kProcesses);
    std::printf("lines                                %ld (fastest %ld-line stretch)\n", lines,
                kChunkLines);
    printRate("chain    LoggerUnit::debug", chainSeconds);
    printRate("agent    LoggerAgentFile::write", agentSeconds);
    printRate("baseline lock, seek, WriteFile", baselineSeconds);
    std::printf("ratio    chain / baseline time        %.2f\n", chainSeconds / baselineSeconds);
    std::printf("four processes, %ld lines each (fastest of %d runs)\n", linesEach, kRounds);
    printRate("chain    4 processes", chain4Seconds / lines4);
    printRate("baseline 4 processes", baseline4Seconds / lines4);
    std::printf("ratio    chain / baseline time, 4     %.2f\n", chain4Seconds / baseline4Seconds);
    printRate("bare     WriteFile per line", bareSeconds / static_cast<double>(lines));
    std::printf("durable  WriteFile+FlushFileBuffers  %.0f lines/s (%ld lines)\n",
                durableLines / durableSeconds, durableLines);
    std::printf("filtered debug(level, text)   %.2f ns/call, %llu allocations in %ld calls\n",
                plainNs, static_cast<unsigned long long>(plainAllocations), kFilteredCalls);
    std::printf("filtered debug(level, fmt, params) %.2f ns/call, %llu allocations in %ld calls\n",
                paramNs, static_cast<unsigned long long>(paramAllocations), kFilteredCalls);

    suiteKey.reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    for (const char* name : {"chain.log", "agent.log", "baseline.log", "chain4.log",
                             "baseline4.log", "bare.log", "durable.log"}) {
        ::DeleteFileA((dir + name).c_str());
    }
    ::RemoveDirectoryA(dir.c_str());
    return 0;
}
