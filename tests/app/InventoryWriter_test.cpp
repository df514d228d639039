#include "app/InventoryWriter.h"

#include "scan/StocksweepMessages.h"
#include "shared/library/time/DateTime.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <ctime>
#include <set>

namespace Velmar {
namespace {

// A file in memory whose chosen writes put half their bytes down and fail.
class MemoryFile : public RecordFile {
public:
    bool open(const std::string& name) override {
        if (openFails) return false;
        path = name;
        bytes.clear();
        position = 0;
        return true;
    }
    bool seek(uint64_t to) override {
        position = to;
        return true;
    }
    bool write(const std::string& data) override {
        ++writes;
        const size_t count = failingWrites.count(writes) != 0 ? data.size() / 2 : data.size();
        if (bytes.size() < position + count) bytes.resize(position + count);
        bytes.replace(position, count, data, 0, count);
        position += count;
        return count == data.size();
    }
    bool truncate(uint64_t size) override {
        bytes.resize(size);
        return true;
    }
    bool close() override {
        ++closes;
        return true;
    }

    bool openFails = false;
    std::set<int> failingWrites;  // counted from 1
    std::string path;
    std::string bytes;
    uint64_t position = 0;
    int writes = 0;
    int closes = 0;
};

CandidateMap threeCandidates() {
    CandidateMap map;
    for (const char* path : {"c:\\a\\one.exe", "c:\\b\\two.exe", "d:\\three.exe"}) {
        map[path] = CandidateRecord{path, "App"};
    }
    return map;
}

TEST(InventoryWriter, FileHoldsOnlyWholeRecords) {
    const CandidateMap candidates = threeCandidates();
    const HostIdentity host{"dom", "host", "amd64", "os"};
    std::vector<std::string> records;
    for (const auto& entry : candidates) {
        records.push_back(formatInventoryRecord(86400, host, entry.second));
    }
    struct Case {
        std::set<int> failing;
        std::string content;
        size_t errors;
    };
    const Case cases[] = {
        {{}, records[0] + records[1] + records[2], 0},
        {{2}, records[0] + records[1] + records[2], 1},
        {{1, 2}, records[0] + records[1] + records[2], 2},
        {{3}, records[0] + records[1], 1},
        {{1, 2, 3}, "", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.failing));
        MemoryFile file;
        file.failingWrites = c.failing;
        ASSERT_TRUE(file.open("w\\inventory-1.data"));
        testing::RecordingLog log;
        const size_t written =
            writeInventoryRecords(candidates, host, 86400, "w\\inventory-1.data", file, log);
        EXPECT_EQ(file.bytes, c.content);
        EXPECT_EQ(written * records[0].size(), c.content.size());
        EXPECT_EQ(file.closes, 1);
        const std::string error =
            "ERROR " + std::to_string(AppMessage::kRecordUnwritten) + " |s:w\\inventory-1.data";
        EXPECT_EQ(log.lines, std::vector<std::string>(c.errors, error));
    }
}

TEST(InventoryWriter, DataFileNameAndFailures) {
    const std::string head = "1 Now logging data to disk...\n";
    {
        MemoryFile file;
        testing::RecordingLog log;
        writeInventoryData(CandidateMap(), HostIdentity(), "w\\", file, log);
        EXPECT_TRUE(file.path.empty());
        EXPECT_EQ(log.joined(), head);
    }
    {
        MemoryFile file;
        file.openFails = true;
        testing::RecordingLog log;
        const int64_t before = std::time(nullptr);
        writeInventoryData(threeCandidates(), HostIdentity(), "w\\", file, log);
        const std::string prefix = head + "CRITICAL " +
                                   std::to_string(AppMessage::kDataFileUnopened) +
                                   " |s:w\\inventory-";
        ASSERT_EQ(log.joined().compare(0, prefix.size(), prefix), 0) << log.joined();
        EXPECT_GE(std::stoll(log.joined().substr(prefix.size())), before);
        EXPECT_EQ(file.closes, 0);
    }
    {
        // A local zone two hours east of UTC, without daylight saving.
        testing::EnvGuard zone("VELMAR_TZ");
        testing::setEnv("VELMAR_TZ", "+02:00 (+00:00 0M0W0D0H-0M0W0D0H)");
        DateTime::resetZoneStateForTests();
        struct ZoneReset {
            ~ZoneReset() { DateTime::resetZoneStateForTests(); }
        } zoneReset;
        MemoryFile file;
        testing::RecordingLog log;
        const int64_t before = std::time(nullptr);
        writeInventoryData(threeCandidates(), HostIdentity(), "w\\", file, log);
        const int64_t after = std::time(nullptr);
        const std::string prefix = "w\\inventory-";
        ASSERT_EQ(file.path.compare(0, prefix.size(), prefix), 0) << file.path;
        const int64_t seconds = std::stoll(file.path.substr(prefix.size()));
        EXPECT_GE(seconds, before);
        EXPECT_LE(seconds, after);
        EXPECT_EQ(file.path, prefix + std::to_string(seconds) + ".data");
        // Field 2, the start of the local day, lies within a day before now.
        const int64_t dayStart = std::stoll(file.bytes.substr(6));
        EXPECT_GT(dayStart, seconds - 86400 - 3600);
        EXPECT_LE(dayStart, seconds);
        // Exactly the local midnight (22:00 UTC) of the day of the name or of a
        // second later; the start of the UTC day is two hours off it.
        const auto localDayStart = [](int64_t t) { return (t + 7200) / 86400 * 86400 - 7200; };
        EXPECT_TRUE(dayStart == localDayStart(seconds) || dayStart == localDayStart(after))
            << dayStart << " for " << seconds;
        EXPECT_EQ(log.joined(), head + "1    Done logging data to disk.\n");
    }
}

}  // namespace
}  // namespace Velmar
