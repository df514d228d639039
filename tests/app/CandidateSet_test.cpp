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
        asked.push_back("long " + path);
        const auto it = longForms.find(path);
        return it == longForms.end() ? path : it->second;
    }
    bool exists(const std::string& path) override {
        asked.push_back(path);
        return existing.count(path) != 0;
    }
    bool shortForm(const std::u16string& path, std::string& shortPath) override {
        std::string shown;
        for (char16_t c : path) shown += c < 0x80 ? static_cast<char>(c) : '#';
        asked.push_back("short " + shown);
        const auto it = shortForms.find(path);
        if (it == shortForms.end()) return false;
        shortPath = it->second;
        return true;
    }
    bool isRemoteDrive(char letter) override {
        asked.push_back(std::string("drive ") + letter);
        return remoteDrives.count(letter) != 0;
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
    std::set<char> remoteDrives;
    std::map<std::u16string, std::string> shortForms;
    // Paths tested, names searched, "long <path>" for long forms, "short
    // <path>" for short forms ("#" for each character outside ASCII) and
    // "drive <letter>" for drive types, in order.
    std::vector<std::string> asked;
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
    CandidateSet set(f.files, f.resolver, log, toAnsi1252);
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
        // Relative to the current directory: refused without asking.
        {"tools\\a.exe", false},
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
    // The file system is asked once per path and name, and drive c's type
    // once; a held path counts as existing.
    EXPECT_EQ(f.files.asked,
              (std::vector<std::string>{"drive c", "c:\\tools\\a.exe", "notepad.exe",
                                        "c:\\missing\\m.exe", "ghost.exe",
                                        "long C:\\PROGRA~1\\Tool\\b.exe",
                                        "c:\\program files\\tool\\b.exe",
                                        "long \"C:\\PROGRA~1\\Tool\\b.exe",
                                        "long c:\\progra~1\\tool\\b.exe", "c:\\hidden\\h.exe",
                                        "c:\\hidden\\h.exe"}));
    EXPECT_TRUE(log.lines.empty()) << log.joined();
}

TEST(CandidateSet, DebugMessagesAtLevelFive) {
    Fixture f;
    testing::RecordingLog log(5);
    CandidateSet set(f.files, f.resolver, log, toAnsi1252);
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

TEST(CandidateSet, NetworkLocationsAreRejectedBeforeAnyFileSystemCall) {
    Fixture f;
    f.files.remoteDrives = {'y'};
    // Each would exist, and short forms would resolve, if they were asked.
    for (const char* path : {"\\\\srv\\share\\x.exe", "y:\\app\\x.exe", "y:\\progra~1\\x.exe",
                             "\\\\?\\unc\\srv\\share\\x.exe", "\\\\srv\\share\\progra~1\\x.exe"}) {
        f.files.existing.insert(path);
    }
    f.files.longForms["\"\\\\SRV\\Share\\PROGRA~1\\X.exe"] = "\\\\srv\\share\\progra~1\\x.exe";
    f.files.longForms["Y:\\PROGRA~1\\X.EXE"] = "y:\\progra~1\\x.exe";
    testing::RecordingLog log(5);
    CandidateSet set(f.files, f.resolver, log, toAnsi1252);
    const char* const network[] = {"\\\\srv\\share\\x.exe", "\"\\\\SRV\\Share\\PROGRA~1\\X.exe",
                                   "\\\\?\\UNC\\srv\\share\\x.exe", "//srv/share/x.exe",
                                   "Y:\\app\\x.exe", "Y:\\PROGRA~1\\X.EXE", "run y:\\app\\x.exe"};
    for (const char* path : network) EXPECT_FALSE(set.processCandidate(path)) << path;
    EXPECT_TRUE(set.processCandidate("c:\\tools\\a.exe"));
    // Drive y's type once, drive c's once, then c's file: nothing else.
    EXPECT_EQ(f.files.asked,
              (std::vector<std::string>{"drive y", "drive c", "c:\\tools\\a.exe"}));
    // The first two, as the level-5 lines show them.
    const std::string head =
        "D5    Got candidate \"\\\\srv\\share\\x.exe\".\n"
        "D5       \"\\\\srv\\share\\x.exe\" is a network path, and will be ignored.\n"
        "D5    Got candidate \"\"\\\\SRV\\Share\\PROGRA~1\\X.exe\".\n"
        "D5       \"\\\\srv\\share\\progra~1\\x.exe\" is a network path, and will be ignored.\n";
    const std::string logged = log.take();
    EXPECT_EQ(logged.substr(0, head.size()), head);
}

TEST(CandidateSet, TextsOutsideTheCodePageGoOnByTheirShortForms) {
    Fixture f;
    f.files.remoteDrives = {'y'};
    const std::u16string hebrew = u"C:\\Users\\\u05D0\u05D1\\App\\Tool.exe";
    f.files.shortForms[hebrew] = "C:\\Users\\__~ABC\\App\\Tool.exe";
    f.files.existing.insert("c:\\users\\__~abc\\app\\tool.exe");
    f.files.longForms["c:\\users\\__~abc\\app\\tool.exe"] = "c:\\users\\__~abc\\app\\tool.exe";
    testing::RecordingLog log(5);
    CandidateSet set(f.files, f.resolver, log, toAnsi1252);
    // Quoted after a command, as the registry scan cuts a value's text.
    EXPECT_TRUE(set.processWideCandidate(u"run \"" + hebrew));
    EXPECT_FALSE(set.processWideCandidate(hebrew));  // the same file again
    EXPECT_FALSE(set.processWideCandidate(u"C:\\\u4E2D\\x.exe"));  // no short form
    EXPECT_FALSE(set.processWideCandidate(u"\\\\srv\\\u05D0\\x.exe"));
    EXPECT_FALSE(set.processWideCandidate(u"y:\\\u05D0\\x.exe"));
    EXPECT_EQ(f.files.asked,
              (std::vector<std::string>{"drive c", "short C:\\Users\\##\\App\\Tool.exe",
                                        "long C:\\Users\\__~ABC\\App\\Tool.exe",
                                        "long c:\\users\\__~abc\\app\\tool.exe",
                                        "c:\\users\\__~abc\\app\\tool.exe",
                                        "short C:\\Users\\##\\App\\Tool.exe",
                                        "long C:\\Users\\__~ABC\\App\\Tool.exe",
                                        "long c:\\users\\__~abc\\app\\tool.exe", "short C:\\#\\x.exe",
                                        "drive y"}));
    std::string stored;
    for (const auto& entry : set.candidates()) stored += entry.first + "\n";
    EXPECT_EQ(stored, "c:\\users\\__~abc\\app\\tool.exe\n");
    const std::string logged = log.take();
    EXPECT_NE(logged.find("D5       Rejected candidate \"C:\\?\\x.exe\" (no short name)...\n"),
              std::string::npos)
        << logged;
    EXPECT_NE(logged.find("D5       \"\\\\srv\\?\\x.exe\" is a network path, and will be ignored.\n"),
              std::string::npos)
        << logged;
}

}  // namespace
}  // namespace Velmar
