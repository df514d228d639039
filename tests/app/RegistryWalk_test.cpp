// The registry scan's rules over a hive file: which key names, value names and
// texts become candidates, in which order, and what is logged.
#include "app/HiveKeySource.h"
#include "app/RegistryWalk.h"
#include "shared/library/common/AnsiText.h"
#include "tests/support/HiveSupport.h"
#include "tests/support/LogRecorder.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace Velmar {
namespace {

using namespace ::testing::hive;
using hive::Hive;
using hive::kTypeExpandSz;
using hive::kTypeMultiSz;
using hive::kTypeSz;

// Takes every path but those below C:\Refused\; a UTF-16 one is recorded
// in UTF-8 between braces.
class Sink : public CandidateSink {
public:
    bool processCandidate(std::string path) override {
        paths.push_back(path);
        return path.rfind("C:\\Refused\\", 0) != 0;
    }
    bool processWideCandidate(const std::u16string& path) override {
        paths.push_back("{" + utf8(path) + "}");
        return true;
    }
    std::vector<std::string> paths;
};

class References : public ReferenceSource {
public:
    bool readRaw(const std::string& name, std::string& text) override {
        if (name != "Dir") return false;
        text = "C:\\Suite";
        return true;
    }
};

class Expander : public TextExpander {
public:
    std::string expand(const std::string& keyPath, const std::string& text) override {
        return "<" + keyPath + "|" + text + ">";
    }
};

const char kHebrew[] = "\xD7\x90\xD7\x91";  // two letters outside code page 1252

Bytes scanHive() {
    HiveWriter w;
    const KeySpec tree{
        "ROOT",
        {{"root.exe", kTypeSz, szData("C:\\root.exe")}},
        {{"Run",
          {{"two", kTypeSz, szData("\"C:\\A\\a.exe\" -x \"C:\\B\\b.EXE\" /y")},
           {"expand", kTypeExpandSz, szData("%LOCALAPPDATA%\\c.exe -q")},
           {"multi", kTypeMultiSz, szData(std::string("d.exe\0e.EXE", 11))},
           {"mixed", kTypeSz, szData("C:\\M\\m.Exe")},
           {"C:\\Refused\\f.exe", 4, {1, 0, 0, 0}},
           {"ref", kTypeSz, szData("${Dir}\\g.exe")},
           {"foreign", kTypeSz, szData(std::string("C:\\ok.exe C:\\") + kHebrew + "\\h.exe")},
           {std::string(kHebrew) + ".exe", 4, {1, 0, 0, 0}},
           {"", kTypeSz, szData("C:\\Default\\i.exe")}},
          {}},
         {"Applications", {}, {{"tool.exe", {}, {{"shell", {}, {{"open.exe.d", {}, {}}}}}}}},
         {kHebrew, {}, {{"below", {{"x", kTypeExpandSz, szData("%APPDATA%\\x.exe")}}, {}}}}}};
    w.setRoot(writeTree(w, tree));
    return w.bytes();
}

TEST(RegistryWalk, CandidatesAndMessagesOfAHiveInWalkOrder) {
    testing::LogRecorder recorder;
    const Hive hive(scanHive());
    HiveKeySource source(hive, toAnsi1252);
    Sink sink;
    References references;
    Expander expander;
    std::deque<std::string> queue{""};
    EXPECT_EQ(walkRegistry(source, "HKEY_USERS\\S-1-5-21-9", queue, sink, recorder.unitLog,
                           {references, expander, toAnsi1252}),
              8u);
    EXPECT_TRUE(queue.empty());
    const std::vector<std::string> expected = {
        // The root's subkeys are walked last listed first. The key named
        // outside the code page: opened by its UTF-16 name, shown with "?";
        // the expander is told the key.
        "<??\\below|%APPDATA%\\x.exe>",
        // Applications: key names holding a marker
        "tool.exe",
        "open.exe.d",
        // Run, values by 8-bit name: "" (the default), "??.exe" (in UTF-16),
        // "C:\Refused\f.exe" (refused: then its file name), "expand",
        // "foreign" (the piece that converts as 8-bit text), "multi", "ref", "two"
        "C:\\Default\\i.exe",
        "{\xD7\x90\xD7\x91.exe}",
        "C:\\Refused\\f.exe",
        "f.exe",
        "<Run|%LOCALAPPDATA%\\c.exe>",
        "C:\\ok.exe",
        "{C:\\\xD7\x90\xD7\x91\\h.exe}",
        "d.exe",
        "e.EXE",
        "C:\\Suite\\g.exe",
        // ".exe" occurs, so ".EXE" is no marker in this text
        "\"C:\\A\\a.exe",
    };
    EXPECT_EQ(sink.paths, expected);
    const auto& counts = source.counts();
    // The root, ??, below, Applications, tool.exe, shell, open.exe.d, Run
    EXPECT_EQ(counts.keys, 8u);
    EXPECT_EQ(counts.damaged, 0u);
    EXPECT_EQ(recorder.take(),
              "D2 Scanning root key \"HKEY_USERS\\S-1-5-21-9\"...\n"
              "D5    Got 3 subkey(s).\n"
              "D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\\??\"...\n"
              "D5    Got 1 subkey(s).\n"
              "D5    Got 0 value(s).\n"
              "D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\\??\\below\"...\n"
              "D5    Got 0 subkey(s).\n"
              "D5    Got 1 value(s).\n"
              "D5    Value name \"x\"...\n"
              "D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\\Applications\"...\n"
              "D5    Got 1 subkey(s).\n"
              "D5    Got 0 value(s).\n"
              "D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\\Applications\\tool.exe\"...\n"
              "D5    Got 1 subkey(s).\n"
              "D5    Got 0 value(s).\n"
              "D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\\Applications\\tool.exe\\shell\"...\n"
              "D5    Got 1 subkey(s).\n"
              "D5    Got 0 value(s).\n"
              "D4 Scanning key "
              "\"HKEY_USERS\\S-1-5-21-9\\Applications\\tool.exe\\shell\\open.exe.d\"...\n"
              "D5    Got 0 subkey(s).\n"
              "D5    Got 0 value(s).\n"
              "D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\\Run\"...\n"
              "D5    Got 0 subkey(s).\n"
              "D5    Got 9 value(s).\n"
              "D5    Value name \"(Default)\"...\n"
              "D5    Value name \"expand\"...\n"
              "D5    Value name \"foreign\"...\n"
              "D5    Value name \"mixed\"...\n"
              "D5    Value name \"multi\"...\n"
              "D5    Value name \"ref\"...\n"
              "D5    Value name \"two\"...\n");
}

// Mounted as a loaded hive is, at HKEY_USERS\<SID>: the hive's root is a key
// of HKEY_USERS, so its own values are looked at and the walk's lines name it.
TEST(RegistryWalk, AHiveMountedBelowARootIsWalkedAsThere) {
    testing::LogRecorder recorder;
    const Hive hive(scanHive());
    HiveKeySource source(hive, toAnsi1252, "S-1-5-21-9");
    Sink sink;
    References references;
    Expander expander;
    std::deque<std::string> queue{"S-1-5-21-9"};
    walkRegistry(source, "HKEY_USERS", queue, sink, recorder.unitLog,
                 {references, expander, toAnsi1252});
    // The root's value: its name, then its text; the rest as before, the
    // expander told the path from HKEY_USERS.
    ASSERT_EQ(sink.paths.size(), 16u);
    EXPECT_EQ(sink.paths[0], "root.exe");
    EXPECT_EQ(sink.paths[1], "C:\\root.exe");
    EXPECT_EQ(sink.paths[2], "<S-1-5-21-9\\??\\below|%APPDATA%\\x.exe>");
    EXPECT_EQ(sink.paths[3], "tool.exe");
    const std::string log = recorder.take();
    EXPECT_NE(log.find("D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\"...\n"), std::string::npos);
    EXPECT_NE(log.find("D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\\Run\"...\n"), std::string::npos);
    // Another SID is not this hive; a path below the mount is.
    bool valuesOpen = false;
    // Names compare without regard to case; one shown with "?" opens nothing.
    // (A source opens each key once: a fresh one for each path.)
    const std::vector<std::pair<std::string, bool>> paths = {
        {"S-1-5-21-99", false},           {"S-1-5-21", false},
        {"S-1-5-21-9\\Run", true},        {"s-1-5-21-9\\rUN", true},
        {"S-1-5-21-9\\??\\below", false}, {"S-1-5-21-9\\Run\\below", false},
    };
    for (const auto& [path, opens] : paths) {
        HiveKeySource fresh(hive, toAnsi1252, "S-1-5-21-9");
        EXPECT_EQ(fresh.open(nullptr, {path, {}}, valuesOpen) != nullptr, opens) << path;
    }
}

}  // namespace
}  // namespace Velmar
