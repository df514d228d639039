// Throughput of the logging chain to the log file, against the platform's
// floor for line-by-line logging, and the cost of a debug call that the debug
// level filters out.
//
//   log_bench [LINES]     (default 20000)
//
// 1. LINES debug lines through LoggerUnit::debug (unit, centre, forwarding
//    messenger, file agent: both locks, append, flush) at debug level 5.
// 2. The same finished lines given to a file agent directly (the share of
//    the file agent in the chain's cost).
// 3. The same lines appended to a second file by a bare loop, one WriteFile
//    per line (the agent's flush hands each line to the system the same way);
//    and once more with FlushFileBuffers after every line, for scale.
// 4. Debug calls with a level above the debug level, plain text and with
//    parameters: nanoseconds per call and the heap allocations they made.
//
// Works in a temporary directory and a registry key of its own under
// HKEY_CURRENT_USER (the suite key for the run), both removed at the end.
#include "shared/library/common/SmartPointer.h"
#include "shared/library/common/SystemInfo.h"
#include "shared/library/common/win32/WinHandle.h"
#include "shared/library/logger/LogMessenger.h"
#include "shared/library/logger/LogMessengerIPC.h"
#include "shared/library/logger/LogRecord.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerAgentFile.h"
#include "shared/library/logger/LoggerCentre.h"
#include "shared/library/logger/LoggerUnit.h"

#include <atomic>
#include <chrono>
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
    const long lines = argc > 1 ? std::strtol(argv[1], nullptr, 10) : kDefaultLines;

    char temp[MAX_PATH + 1];
    ::GetTempPathA(sizeof(temp), temp);
    const std::string dir =
        std::string(temp) + "StocksweepLogBench-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(dir.c_str(), nullptr);
    const std::string key = "Software\\StocksweepLogBench-" + std::to_string(::GetCurrentProcessId());
    UniqueHKey suiteKey;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      suiteKey.put(), nullptr);
    ::SetEnvironmentVariableA("VELMAR_ENV", key.c_str());
    selectHive("HKEY_CURRENT_USER");
    setApplicationName("Stocksweep");
    setThreadIdSource([]() -> uint32_t { return ::GetCurrentThreadId(); });
    setDebugLevel(5);

    const std::string chainPath = dir + "chain.log";
    double chainSeconds = 0;
    std::vector<std::string> written;
    {
        auto agent = std::make_shared<LoggerAgentFile>();
        agent->setFile(chainPath);
        auto centre = std::make_shared<LoggerCentre>(
            kApplication, std::make_shared<LogMessengerIPC>(agent, "StocksweepLogBenchNone"));
        LoggerUnit unit(centre, kModule);
        std::vector<std::string> texts;
        for (long n = 0; n < lines; ++n) texts.push_back(lineText(n));
        const auto start = Clock::now();
        for (const std::string& text : texts) unit.debug(1, text);
        chainSeconds = secondsSince(start);

        // The bare loop writes exactly the lines the chain wrote.
        LogRecord record;
        record.kind = LogRecord::kDebug;
        record.application = kApplication;
        record.module = kModule;
        record.time = DateTime();
        record.debugLevel = 1;
        record.threadId = ::GetCurrentThreadId();
        for (const std::string& text : texts) {
            record.text = text;
            written.push_back(LogMessenger::formatLogLine(record, false) + "\r\n");
        }
    }
    // The agent alone, given the finished lines (without their line end).
    double agentSeconds = 0;
    {
        LoggerAgentFile agent;
        agent.setFile(dir + "agent.log");
        std::vector<std::string> finished;
        for (const std::string& line : written) finished.push_back(line.substr(0, line.size() - 2));
        const auto start = Clock::now();
        for (const std::string& line : finished) agent.write(line);
        agentSeconds = secondsSince(start);
    }
    const double bareSeconds = bareLoop(dir + "bare.log", written, false);
    const long durableLines = lines < 2000 ? lines : 2000;
    const double durableSeconds = bareLoop(
        dir + "durable.log",
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
        for (long n = 0; n < kFilteredCalls; ++n) passed = passed + unit.debug(5, "SMScan: walking");
        plainNs = secondsSince(start) * 1e9 / kFilteredCalls;
        plainAllocations = allocations.load() - before;
        const std::string folder = "c:\\users\\x\\start menu";
        const uint64_t middle = allocations.load();
        start = Clock::now();
        for (long n = 0; n < kFilteredCalls; ++n) {
            passed = passed + unit.debug(5, "SMScan: folder \"%s\", entry %i", folder, static_cast<int>(n));
        }
        paramNs = secondsSince(start) * 1e9 / kFilteredCalls;
        paramAllocations = allocations.load() - middle;
    }

    std::printf("lines                         %ld\n", lines);
    std::printf("chain  LoggerUnit::debug      %.0f lines/s (%.1f us/line)\n", lines / chainSeconds,
                chainSeconds * 1e6 / lines);
    std::printf("agent  LoggerAgentFile::write %.0f lines/s (%.1f us/line)\n", lines / agentSeconds,
                agentSeconds * 1e6 / lines);
    std::printf("bare   WriteFile per line     %.0f lines/s (%.1f us/line)\n", lines / bareSeconds,
                bareSeconds * 1e6 / lines);
    std::printf("ratio  bare / chain           %.1f\n", chainSeconds / bareSeconds);
    std::printf("durable WriteFile+FlushFileBuffers %.0f lines/s (%ld lines)\n",
                durableLines / durableSeconds, durableLines);
    std::printf("filtered debug(level, text)   %.2f ns/call, %llu allocations in %ld calls\n",
                plainNs, static_cast<unsigned long long>(plainAllocations), kFilteredCalls);
    std::printf("filtered debug(level, fmt, params) %.2f ns/call, %llu allocations in %ld calls\n",
                paramNs, static_cast<unsigned long long>(paramAllocations), kFilteredCalls);

    suiteKey.reset();
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    for (const char* name : {"chain.log", "agent.log", "bare.log", "durable.log"}) {
        ::DeleteFileA((dir + name).c_str());
    }
    ::RemoveDirectoryA(dir.c_str());
    return 0;
}
