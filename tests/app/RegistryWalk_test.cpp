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

// Takes every path but those below C:\Refused\.
class Sink : public CandidateSink {
public:
    bool processCandidate(std::string path) override {
        paths.push_back(path);
        return path.rfind("C:\\Refused\\", 0) != 0;
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
    std::string expand(const std::string& text) override { return "<" + text + ">"; }
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
           {"foreign", kTypeSz, szData(std::string("C:\\") + kHebrew + "\\h.exe")},
           {"", kTypeSz, szData("C:\\Default\\i.exe")}},
          {}},
         {"Applications", {}, {{"tool.exe", {}, {{"shell", {}, {{"open.exe.d", {}, {}}}}}}}},
         {kHebrew, {}, {{"below", {{"x", kTypeSz, szData("C:\\x.exe")}}, {}}}}}};
    w.setRoot(writeTree(w, tree));
    return w.bytes();
}

TEST(RegistryWalk, CandidatesAndMessagesOfAHiveInWalkOrder) {
    testing::LogRecorder recorder;
    const Hive hive(scanHive());
    HiveKeySource source(hive, toAnsi1252, recorder.unitLog, "HKEY_USERS\\S-1-5-21-9");
    Sink sink;
    References references;
    Expander expander;
    std::deque<std::string> queue{""};
    walkRegistry(source, "HKEY_USERS\\S-1-5-21-9", queue, sink, recorder.unitLog, references,
                 expander);
    EXPECT_TRUE(queue.empty());
    const std::vector<std::string> expected = {
        // Applications (the root's subkeys are walked last listed first):
        // key names holding a marker
        "tool.exe",
        "open.exe.d",
        // Run, values by name: "" (the default), "C:\Refused\f.exe" (refused:
        // then its file name), "expand", "multi", "ref", "two"
        "C:\\Default\\i.exe",
        "C:\\Refused\\f.exe",
        "f.exe",
        "<%LOCALAPPDATA%\\c.exe>",
        "d.exe",
        "e.EXE",
        "C:\\Suite\\g.exe",
        // ".exe" occurs, so ".EXE" is no marker in this text
        "\"C:\\A\\a.exe",
    };
    EXPECT_EQ(sink.paths, expected);
    const auto& counts = source.counts();
    EXPECT_EQ(counts.keys, 6u);  // the root, Run, Applications, tool.exe, shell, open.exe.d
    EXPECT_EQ(counts.damaged, 0u);
    EXPECT_EQ(recorder.take(),
              "D2 Scanning root key \"HKEY_USERS\\S-1-5-21-9\"...\n"
              "D5    A key name in \"HKEY_USERS\\S-1-5-21-9\" has no 8-bit form; it is skipped.\n"
              "D5    Got 2 subkey(s).\n"
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
              "D5    A value text in \"HKEY_USERS\\S-1-5-21-9\" has no 8-bit form; it is skipped.\n"
              "D5    Got 8 value(s).\n"
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
    HiveKeySource source(hive, toAnsi1252, recorder.unitLog, "HKEY_USERS", "S-1-5-21-9");
    Sink sink;
    References references;
    Expander expander;
    std::deque<std::string> queue{"S-1-5-21-9"};
    walkRegistry(source, "HKEY_USERS", queue, sink, recorder.unitLog, references, expander);
    // The root's value: its name, then its text; the rest as before.
    ASSERT_EQ(sink.paths.size(), 12u);
    EXPECT_EQ(sink.paths[0], "root.exe");
    EXPECT_EQ(sink.paths[1], "C:\\root.exe");
    EXPECT_EQ(sink.paths[2], "tool.exe");
    const std::string log = recorder.take();
    EXPECT_NE(log.find("D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\"...\n"), std::string::npos);
    EXPECT_NE(log.find("D4 Scanning key \"HKEY_USERS\\S-1-5-21-9\\Run\"...\n"), std::string::npos);
    // Another SID is not this hive; a path below the mount is.
    bool valuesOpen = false;
    HiveKeySource fresh(hive, toAnsi1252, recorder.unitLog, "HKEY_USERS", "S-1-5-21-9");
    EXPECT_EQ(fresh.open(nullptr, "S-1-5-21-99", valuesOpen), nullptr);
    EXPECT_EQ(fresh.open(nullptr, "S-1-5-21", valuesOpen), nullptr);
    EXPECT_NE(fresh.open(nullptr, "S-1-5-21-9\\Run", valuesOpen), nullptr);
}

}  // namespace
}  // namespace Velmar
