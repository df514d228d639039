// Writes numbered lines through the whole logging chain (logger unit, centre,
// forwarding messenger, file agent) for the tests of several processes on one
// log file.
//   log_writer PATH WRITER COUNT [SIZE_MIB]
// writes COUNT debug lines "writer <WRITER> line <n> <padding>" to PATH; with
// SIZE_MIB the file rotates by size at that many mebibytes. The suite key is
// the one "VELMAR_ENV" names in HKEY_CURRENT_USER. Once set up it prints
// "ready" and waits for its standard input to end, so that a test can start
// several writers at one moment. Prints the number of lines that were refused
// and exits with 0 only when there were none.
#include "shared/library/common/SmartPointer.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/logger/LogMessengerIPC.h"
#include "shared/library/logger/LogRotation.h"
#include "shared/library/logger/LogSettings.h"
#include "shared/library/logger/LoggerAgentFile.h"
#include "shared/library/logger/LoggerCentre.h"
#include "shared/library/logger/LoggerUnit.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {
constexpr int32_t kApplication = 5;
constexpr int32_t kModule = 24;
// Makes every line long enough that a torn or interleaved write shows.
const std::string kPadding(64, '.');
}  // namespace

int main(int argc, char** argv) {
    using namespace Velmar;
    if (argc != 4 && argc != 5) return 2;
    const std::string path = argv[1];
    const std::string writer = argv[2];
    const long count = std::strtol(argv[3], nullptr, 10);

    selectHive("HKEY_CURRENT_USER");
    setApplicationName("Stocksweep");
    setThreadIdSource([]() -> uint32_t { return ::GetCurrentThreadId(); });
    setDebugLevel(5);

    auto agent = std::make_shared<LoggerAgentFile>();
    if (argc == 5) {
        setRotationScheme(kRotateSize);
        setRotationSize(static_cast<int32_t>(std::strtol(argv[4], nullptr, 10)));
    }
    agent->setFile(path);
    // Debug lines are never forwarded, so the endpoint is never opened.
    auto messenger = std::make_shared<LogMessengerIPC>(agent, "StocksweepLogWriterNone");
    auto centre = std::make_shared<LoggerCentre>(kApplication, messenger);
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[64];
    while (std::fread(buffer, 1, sizeof(buffer), stdin) > 0) {
    }
    long refused = 0;
    {
        LoggerUnit unit(centre, kModule);
        for (long n = 0; n < count; ++n) {
            const std::string line =
                "writer " + writer + " line " + std::to_string(n) + " " + kPadding;
            if (!unit.debug(1, line)) ++refused;
        }
    }
    std::printf("%ld\n", refused);
    return refused == 0 ? 0 : 1;
}
