#include "app/CandidateSet.h"
#include "app/InventoryWriter.h"

#include "tests/support/AppLogRecorder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <set>

namespace Velmar {
namespace {

class FakeFiles : public CandidateFiles {
public:
    std::string longForm(const std::string& path) override {
        const auto it = longForms.find(path);
        return it == longForms.end() ? path : it->second;
    }
    bool exists(const std::string& path) override {
        asked.push_back(path);
        return existing.count(path) != 0;
    }
    bool findOnSearchPath(const std::string& name, std::string& found) override {
        asked.push_back(name);
        const auto it = onSearchPath.find(name);
        if (it == onSearchPath.end()) return false;
        found = it->second;
        return true;
    }

    std::map<std::string, std::string> longForms;
    std::set<std::string> existing;
    std::map<std::string, std::string> onSearchPath;
    std::vector<std::string> asked;  // paths tested and names searched, in order
};

class FakeResolver : public NameResolver {
public:
    std::string applicationName(const std::string& path) override {
        asked.push_back(path);
        const auto it = names.find(path);
        return it == names.end() ? "Unnamed" : it->second;
    }

    std::map<std::string, std::string> names;
    std::vector<std::string> asked;
};

struct Fixture {
    Fixture() {
        files.longForms["C:\\PROGRA~1\\Tool\\b.exe"] = "C:\\Program Files\\Tool\\b.exe";
        files.existing = {"c:\\tools\\a.exe", "c:\\program files\\tool\\b.exe",
                          "c:\\hidden\\h.exe"};
        files.onSearchPath["notepad.exe"] = "C:\\Windows\\Notepad.exe";
        resolver.names = {{"c:\\tools\\a.exe", "  Tool \t"},
                          {"c:\\program files\\tool\\b.exe", "Tool"},
                          {"c:\\hidden\\h.exe", " ! "}};
    }
    FakeFiles files;
    FakeResolver resolver;
};

TEST(CandidateSet, CleaningExistenceAndRepeats) {
    Fixture f;
    testing::AppLogRecorder log(0);
    CandidateSet set(f.files, f.resolver, log);
    const std::pair<const char*, bool> inputs[] = {
        {"\"C:\\Tools\\A.exe", true},
        {"c:\\TOOLS\\a.exe", false},
        {"notepad.exe", true},
        {"C:\\Windows\\NOTEPAD.EXE", false},
        {"c:\\missing\\m.exe", false},
        {"ghost.exe", false},
        {"C:\\PROGRA~1\\Tool\\b.exe", true},
        {"c:\\hidden\\h.exe", false},
        {"c:\\hidden\\h.exe", false},
        {"C:\\Missing\\M.exe", false},
        {"ghost.exe", false},
        {"notepad.exe", false},
    };
    for (const auto& input : inputs) EXPECT_EQ(set.processCandidate(input.first), input.second)
        << input.first;

    std::string stored;
    for (const auto& entry : set.candidates()) {
        stored += entry.first + "=" + entry.second.path + "|" + entry.second.appName + "\n";
    }
    EXPECT_EQ(stored,
              "c:\\program files\\tool\\b.exe=c:\\program files\\tool\\b.exe|Tool\n"
              "c:\\tools\\a.exe=c:\\tools\\a.exe|Tool\n"
              "c:\\windows\\notepad.exe=c:\\windows\\notepad.exe|Unnamed\n");
    // An ignored executable is not remembered: it is resolved each time it is met.
    EXPECT_EQ(f.resolver.asked,
              (std::vector<std::string>{"c:\\tools\\a.exe", "c:\\windows\\notepad.exe",
                                        "c:\\program files\\tool\\b.exe", "c:\\hidden\\h.exe",
                                        "c:\\hidden\\h.exe"}));
    // The file system is asked once per path and name; a held path counts as existing.
    EXPECT_EQ(f.files.asked,
              (std::vector<std::string>{"c:\\tools\\a.exe", "notepad.exe", "c:\\missing\\m.exe",
                                        "ghost.exe", "c:\\program files\\tool\\b.exe",
                                        "c:\\hidden\\h.exe", "c:\\hidden\\h.exe"}));
    EXPECT_TRUE(log.lines.empty()) << log.joined();
}

TEST(CandidateSet, DebugMessagesAtLevelFive) {
    Fixture f;
    testing::AppLogRecorder log(5);
    CandidateSet set(f.files, f.resolver, log);
    for (const char* path : {"C:\\TOOLS\\A.EXE", "c:\\tools\\a.exe", "x:\\m.exe",
                             "c:\\hidden\\h.exe"}) {
        set.processCandidate(path);
    }
    EXPECT_EQ(log.joined(),
              "5    Got candidate \"%s\". |s:C:\\TOOLS\\A.EXE\n"
              "5       Processed candidate: \"%s\". |s:c:\\tools\\a.exe\n"
              "5       Candidate accepted.\n"
              "5    Got candidate \"%s\". |s:c:\\tools\\a.exe\n"
              "5       Processed candidate: \"%s\". |s:c:\\tools\\a.exe\n"
              "5       We already have this one.\n"
              "5    Got candidate \"%s\". |s:x:\\m.exe\n"
              "5       Rejected candidate \"%s\"... |s:x:\\m.exe\n"
              "5    Got candidate \"%s\". |s:c:\\hidden\\h.exe\n"
              "5       Processed candidate: \"%s\". |s:c:\\hidden\\h.exe\n"
              "5       This application is to be ignored.\n");
}

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
        testing::AppLogRecorder log;
        const size_t written =
            writeInventoryRecords(candidates, host, 86400, "w\\inventory-1.data", file, log);
        EXPECT_EQ(file.bytes, c.content);
        EXPECT_EQ(written * records[0].size(), c.content.size());
        EXPECT_EQ(file.closes, 1);
        EXPECT_EQ(log.lines,
                  std::vector<std::string>(c.errors, "ERROR 14 |s:w\\inventory-1.data"));
    }
}

TEST(InventoryWriter, DataFileNameAndFailures) {
    const std::string head = "1 Now logging data to disk...\n";
    {
        MemoryFile file;
        testing::AppLogRecorder log;
        writeInventoryData(CandidateMap(), HostIdentity(), "w\\", file, log);
        EXPECT_TRUE(file.path.empty());
        EXPECT_EQ(log.joined(), head);
    }
    {
        MemoryFile file;
        file.openFails = true;
        testing::AppLogRecorder log;
        const int64_t before = std::time(nullptr);
        writeInventoryData(threeCandidates(), HostIdentity(), "w\\", file, log);
        const std::string prefix = head + "CRITICAL 13 |s:w\\inventory-";
        ASSERT_EQ(log.joined().compare(0, prefix.size(), prefix), 0) << log.joined();
        EXPECT_GE(std::stoll(log.joined().substr(prefix.size())), before);
        EXPECT_EQ(file.closes, 0);
    }
    {
        MemoryFile file;
        testing::AppLogRecorder log;
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
        EXPECT_EQ(log.joined(), head + "1    Done logging data to disk.\n");
    }
}

}  // namespace
}  // namespace Velmar
