#include "app/CandidateSet.h"

#include "tests/support/RecordingLog.h"

#include <gtest/gtest.h>

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
        files.longForms["c:\\progra~1\\tool\\b.exe"] = "C:\\Program Files\\Tool\\b.exe";
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
    testing::RecordingLog log(0);
    CandidateSet set(f.files, f.resolver, log);
    const std::pair<const char*, bool> inputs[] = {
        {"\"C:\\Tools\\A.exe", true},
        {"c:\\TOOLS\\a.exe", false},
        {"notepad.exe", true},
        {"C:\\Windows\\NOTEPAD.EXE", false},
        {"c:\\missing\\m.exe", false},
        {"ghost.exe", false},
        {"C:\\PROGRA~1\\Tool\\b.exe", true},
        {"\"C:\\PROGRA~1\\Tool\\b.exe", false},  // long form after cleaning, lower-cased
        {"c:\\hidden\\h.exe", false},
        {"c:\\hidden\\h.exe", false},
        {"C:\\Missing\\M.exe", false},
        {"ghost.exe", false},
        {"notepad.exe", false},
    };
    for (const auto& input : inputs)
        EXPECT_EQ(set.processCandidate(input.first), input.second) << input.first;

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
    testing::RecordingLog log(5);
    CandidateSet set(f.files, f.resolver, log);
    for (const char* path :
         {"C:\\TOOLS\\A.EXE", "c:\\tools\\a.exe", "x:\\m.exe", "c:\\hidden\\h.exe"}) {
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

}  // namespace
}  // namespace Velmar
