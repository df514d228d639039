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

// A file in memory whose chosen writes put half their bytes down and fail,
// and whose chosen steps fail.
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
    bool flush() override { return !flushFails; }
    Publish publish(const std::string& name) override {
        tried.push_back(name);
        if (tried.size() <= takenNames) return Publish::kNameTaken;
        if (publishFails) return Publish::kFailed;
        path = name;
        return Publish::kDone;
    }
    bool close() override {
        ++closes;
        return true;
    }
    bool discard() override {
        discarded = true;
        return true;
    }
    std::vector<std::string> removeTemporaryFiles(const std::string& directory) override {
        cleanedDir = directory;
        return leftovers;
    }

    bool openFails = false;
    bool flushFails = false;
    bool publishFails = false;
    size_t takenNames = 0;
    std::set<int> failingWrites;  // counted from 1
    std::vector<std::string> leftovers;

    std::string path;
    std::string bytes;
    uint64_t position = 0;
    int writes = 0;
    int closes = 0;
    bool discarded = false;
    std::vector<std::string> tried;
    std::string cleanedDir;
};

CandidateMap threeCandidates() {
    CandidateMap map;
    for (const char* path : {"c:\\a\\one.exe", "c:\\b\\two.exe", "d:\\three.exe"}) {
        map[path] = CandidateRecord{path, "App"};
    }
    return map;
}

// The seconds of a data file's name "w\inventory-<seconds>.data".
int64_t nameSeconds(const std::string& path) {
    const std::string prefix = "w\\inventory-";
    EXPECT_EQ(path.compare(0, prefix.size(), prefix), 0) << path;
    return std::stoll(path.substr(prefix.size()));
}

TEST(InventoryWriter, RecordsThatFailAreWrittenAgainInFrontOfTheNext) {
    const CandidateMap candidates = threeCandidates();
    const HostIdentity host{"dom", "host", "amd64", "os"};
    std::vector<std::string> records;
    for (const auto& entry : candidates) {
        records.push_back(formatInventoryRecord(86400, host, entry.second));
    }
    const std::string all = records[0] + records[1] + records[2];
    struct Case {
        std::set<int> failing;
        size_t whole;
        size_t errors;
    };
    const Case cases[] = {
        {{}, 3, 0}, {{2}, 3, 1}, {{1, 2}, 3, 2}, {{3}, 2, 1}, {{1, 2, 3}, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.failing));
        MemoryFile file;
        file.failingWrites = c.failing;
        ASSERT_TRUE(file.open("w\\t"));
        testing::RecordingLog log;
        EXPECT_EQ(writeInventoryRecords(candidates, host, 86400, "w\\t", file, log), c.whole);
        // Whatever failed later, the whole records stand at the file's start.
        size_t wholeBytes = 0;
        for (size_t i = 0; i < c.whole; ++i) wholeBytes += records[i].size();
        EXPECT_EQ(file.bytes.substr(0, wholeBytes), all.substr(0, wholeBytes));
        if (c.whole == 3) {
            EXPECT_EQ(file.bytes, all);
        }
        EXPECT_EQ(file.closes, 0);
        const std::string error =
            "ERROR " + std::to_string(AppMessage::kRecordUnwritten) + " |s:w\\t";
        EXPECT_EQ(log.lines, std::vector<std::string>(c.errors, error));
    }
}

TEST(InventoryWriter, OnlyAWholeFileOnTheDiskIsPublishedUnderAFreeName) {
    const std::string head = "1 Now logging data to disk...\n";
    const std::string temporary = "w\\inventory.77.partial";
    const std::string critical = "CRITICAL " + std::to_string(AppMessage::kDataFileUnopened) + " |s:";
    const std::string error =
        "ERROR " + std::to_string(AppMessage::kRecordUnwritten) + " |s:" + temporary + "\n";
    struct Case {
        const char* name;
        void (*arrange)(MemoryFile&);
        bool delivered;
        size_t attempts;  // names tried
        std::string logged;  // after the head; "<first>" stands for the first name tried
    };
    const Case cases[] = {
        {"written", [](MemoryFile&) {}, true, 1, "1    Done logging data to disk.\n"},
        {"open fails", [](MemoryFile& f) { f.openFails = true; }, false, 0,
         critical + temporary + "\n"},
        {"a write fails, its retry works", [](MemoryFile& f) { f.failingWrites = {1}; }, true, 1,
         error + "1    Done logging data to disk.\n"},
        {"the last write fails", [](MemoryFile& f) { f.failingWrites = {3}; }, false, 0, error},
        {"flush fails", [](MemoryFile& f) { f.flushFails = true; }, false, 0, error},
        {"two names taken", [](MemoryFile& f) { f.takenNames = 2; }, true, 3,
         "1    Done logging data to disk.\n"},
        {"every name taken", [](MemoryFile& f) { f.takenNames = 1u << 20; }, false,
         kDataFileNameTries + 1, critical + "w\\<first>\n"},
        {"rename fails", [](MemoryFile& f) { f.publishFails = true; }, false, 1,
         critical + "w\\<first>\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFile file;
        c.arrange(file);
        testing::RecordingLog log;
        const int64_t before = std::time(nullptr);
        const InventoryOutcome outcome =
            writeInventoryData(threeCandidates(), HostIdentity(), "w\\", 77, file, log);
        const int64_t after = std::time(nullptr);
        EXPECT_EQ(outcome.delivered, c.delivered);
        // A file that was never made is not removed either.
        EXPECT_EQ(file.discarded, !c.delivered && !file.openFails);
        ASSERT_EQ(file.tried.size(), c.attempts);
        std::string logged = log.joined();
        if (!file.tried.empty()) {
            // The name of the current second, then each next second's.
            const int64_t first = nameSeconds(file.tried[0]);
            EXPECT_GE(first, before);
            EXPECT_LE(first, after);
            for (size_t i = 0; i < file.tried.size(); ++i) {
                EXPECT_EQ(file.tried[i], "w\\" + inventoryFileName(first + int64_t(i)));
            }
            const std::string firstName = file.tried[0].substr(2);
            for (size_t at; (at = logged.find(firstName)) != std::string::npos;) {
                logged.replace(at, firstName.size(), "<first>");
            }
        }
        EXPECT_EQ(logged, head + c.logged);
        if (c.delivered) {
            EXPECT_EQ(outcome.records, 3u);
            EXPECT_EQ("w\\" + outcome.fileName, file.tried.back());
            EXPECT_EQ(file.path, file.tried.back());
            EXPECT_EQ(file.closes, 1);
        } else {
            EXPECT_EQ(outcome.records, 0u);
            EXPECT_EQ(outcome.fileName, "");
            EXPECT_EQ(file.path, c.attempts == 0 && file.openFails ? "" : temporary);
        }
    }
}

TEST(InventoryWriter, LeftoversOfEarlierRunsGoEvenWhenNothingIsWritten) {
    MemoryFile file;
    file.leftovers = {"inventory.12.partial", "inventory.3.partial"};
    testing::RecordingLog log;
    const InventoryOutcome outcome =
        writeInventoryData(CandidateMap(), HostIdentity(), "w\\", 77, file, log);
    EXPECT_TRUE(outcome.delivered);
    EXPECT_EQ(outcome.records, 0u);
    EXPECT_EQ(file.cleanedDir, "w\\");
    EXPECT_TRUE(file.path.empty());
    EXPECT_EQ(log.take(),
              "D1 Now logging data to disk...\n"
              "D2 Removed the temporary data file \"inventory.12.partial\" of an earlier run.\n"
              "D2 Removed the temporary data file \"inventory.3.partial\" of an earlier run.\n");
    EXPECT_EQ(dataFileSummary(outcome), "none (no executable found)");
    EXPECT_EQ(dataFileSummary(InventoryOutcome()), "none (not delivered)");
    EXPECT_EQ(dataFileSummary(InventoryOutcome{true, 2, "inventory-5.data"}), "inventory-5.data");
}

TEST(InventoryWriter, TemporaryFileNames) {
    EXPECT_EQ(temporaryDataFileName(4242), "inventory.4242.partial");
    const struct {
        const char* name;
        bool temporary;
    } cases[] = {
        {"inventory.4242.partial", true},  {"inventory.0.partial", true},
        {"inventory..partial", false},     {"inventory.42a.partial", false},
        {"inventory-4242.data", false},    {"inventory.4242.partial2", false},
        {"xinventory.4242.partial", false}, {"inventory.4242.partia", false},
        {"inventory.4242.PARTIAL", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isTemporaryDataFileName(c.name), c.temporary) << c.name;
}

TEST(InventoryWriter, IntervalStartsAtTheLocalDay) {
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
    writeInventoryData(threeCandidates(), HostIdentity(), "w\\", 77, file, log);
    const int64_t after = std::time(nullptr);
    const int64_t seconds = nameSeconds(file.path);
    // Field 2, the start of the local day, lies within a day before now.
    const int64_t dayStart = std::stoll(file.bytes.substr(6));
    EXPECT_GT(dayStart, seconds - 86400 - 3600);
    EXPECT_LE(dayStart, seconds);
    // Exactly the local midnight (22:00 UTC) of the day of the run; the start
    // of the UTC day is two hours off it.
    const auto localDayStart = [](int64_t t) { return (t + 7200) / 86400 * 86400 - 7200; };
    EXPECT_TRUE(dayStart == localDayStart(before) || dayStart == localDayStart(after))
        << dayStart << " for " << seconds;
}

}  // namespace
}  // namespace Velmar
