#include "shared/library/config/ConfTree.h"

#include "tests/support/ConfTestSupport.h"
#include "tests/support/RecordingLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::RecordingLog;

const char kConf[] = R"(
s (String) = '  Mixed Case  ' {}
a (String) = q { b (String) = q {} }
dir (DirName) = C:/d { }
x (String) = '/x/${a.b}/y' {}
viaDir (String) = '${dir}x' {}
asDir (DirName) = '${dir}//sub' {}
emptyDir (DirName) = '' {}
file (FileName) = 'C:/a//b/f.txt' {}
open (String) = 'a ${a.b} ${a.b' {}
missing (String) = '${no.such}' {}
typeless () = v {}
noValue (String) = '${typeless}' {}
chain1 (String) = '<${chain2}>' {}
chain2 (String) = '[${chain3}]' {}
chain3 (String) = '${a}' {}
split (String) = '$${brace}' {}
early (String) = '}${a.b}' {}
padDir (DirName) = ' C:/p' {}
brace (String) = '{a}' {}
loop (String) = 'x${loop}' {}
pingA (String) = '${pingB}' {}
pingB (String) = '${pingA}' {}
double (String) = '${double}${double}' {}
t (Bool) = TRUE {} f (Bool) = False {} y (Bool) = yes {} sp (Bool) = ' true' {}
i1 (Integer) = 12abc {} i2 (Integer) = abc {} i3 (Integer) = '  -42' {}
i4 (Integer) = 99999999999 {} i5 (Integer) = -99999999999 {} i6 (Integer) = 010 {}
ts (TimeSpan) = PT1H30M {} badTs (TimeSpan) = p1D {}
dup () = '' { } dup () = '' { b (String) = 2 {} }
stocksweep () = '' { scan () = '' { registry () = '' {
  HKEY_LOCAL_MACHINE () = '' {} HKEY_USERS () = '' {} HKEY_LOCAL_MACHINE () = '' {} } } }
)";

class ConfTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree.build(kConf, "test.conf");
        ASSERT_EQ(log.take(), "D2 ConfReader: DOM tree built.\n");
    }
    RecordingLog log;
    ConfTree tree{log};
};

TEST_F(ConfTreeTest, FindNodeWalksDottedPathsWithoutBacktracking) {
    const struct {
        const char* key;
        const char* found;  // name of the entry found, or null
    } cases[] = {
        {"a", "a"},         {"a.b", "b"},
        {"a.", "a"},        {"a..b", nullptr},
        {"", nullptr},      {".a", nullptr},
        {"A", nullptr},     {"a.b.c", nullptr},
        {"dup.b", nullptr}, {"stocksweep.scan.registry", "registry"},
        {"a..", nullptr},
    };
    for (const auto& c : cases) {
        const DOMNode* node = tree.findNode(c.key);
        EXPECT_EQ(node ? node->name().c_str() : "<none>", std::string(c.found ? c.found : "<none>"))
            << c.key;
    }
    ConfTree empty(log);
    EXPECT_EQ(empty.findNode("a"), nullptr);
}

TEST_F(ConfTreeTest, GetStringResolvesReferencesAndNormalises) {
    const struct {
        const char* key;
        const char* type;
        ConfResult result;
        const char* value;  // out text afterwards ("unchanged" when left alone)
    } cases[] = {
        {"x", "String", CR_OK, "/x/q/y"},
        {"viaDir", "String", CR_OK, "C:/d\\x"},
        {"asDir", "DirName", CR_OK, "C:\\d\\sub\\"},
        {"emptyDir", "DirName", CR_OK, ""},
        {"dir", "DirName", CR_OK, "C:\\d\\"},
        {"file", "FileName", CR_OK, "C:\\a\\b\\f.txt"},
        {"chain1", "String", CR_OK, "<[q]>"},
        {"split", "String", CR_OK, "q"},   // "$" + "{a}" makes a new reference
        {"early", "String", CR_OK, "}q"},  // a "}" before "${" closes nothing
        {"open", "String", CR_BAD_REFERENCE, "unchanged"},
        {"missing", "String", CR_NOT_FOUND, "unchanged"},
        {"noValue", "String", CR_NO_VALUE, "unchanged"},
        {"typeless", "String", CR_NO_VALUE, "unchanged"},
        {"nothing", "String", CR_NOT_FOUND, "unchanged"},
        {"x", "Bool", CR_WRONG_TYPE, "unchanged"},
        {"loop", "String", CR_BAD_REFERENCE, "unchanged"},
        {"pingA", "String", CR_BAD_REFERENCE, "unchanged"},
        {"double", "String", CR_BAD_REFERENCE, "unchanged"},
    };
    for (const auto& c : cases) {
        std::string out = "unchanged";
        EXPECT_EQ(tree.getValue(c.key, c.type, out), c.result) << c.key;
        EXPECT_EQ(out, c.value) << c.key;
    }
    std::string out;
    EXPECT_EQ(tree.getString("s", out), CR_OK);
    EXPECT_EQ(out, "  Mixed Case  ");
    EXPECT_EQ(tree.getString("s", out, true, false), CR_OK);
    EXPECT_EQ(out, "Mixed Case");
    EXPECT_EQ(tree.getString("s", out, true, true), CR_OK);
    EXPECT_EQ(out, "mixed case");
}

TEST_F(ConfTreeTest, LogsEveryStepOfALookup) {
    std::string out;
    tree.getString("x", out);
    tree.getString("open", out);
    tree.getString("missing", out);
    tree.getString("noValue", out);
    bool flag = false;
    tree.getBool("x", flag);
    tree.getString("typeless", out);
    tree.getDirName("asDir", out);
    tree.getString("loop", out);
    std::string log = this->log.take();
    // The self-reference stops at the bound: one pass for the reference the
    // raw value holds, then 1000 more of its Reference line.
    const std::string loopPass = "D5 ConfReader: Reference \"loop\" = \"x${loop}\".\n";
    size_t passes = 0;
    for (size_t at = log.find(loopPass); at != std::string::npos; at = log.find(loopPass, at + 1))
        ++passes;
    EXPECT_EQ(passes, 1 + kMaxReferencePasses);
    EXPECT_EQ(log.substr(0, log.find(loopPass)),
              "D5 ConfReader: Getting String x...\n"
              "D5 ConfReader: Got raw value \"/x/${a.b}/y\".\n"
              "D5 ConfReader: Reference \"a.b\" = \"q\".\n"
              "D5 ConfReader: Got final value \"/x/q/y\".\n"
              "D5 ConfReader: Getting String open...\n"
              "D5 ConfReader: Got raw value \"a ${a.b} ${a.b\".\n"
              "D5 ConfReader: Reference \"a.b\" = \"q\".\n"
              "E3 open\n"
              "D5 ConfReader: Getting String missing...\n"
              "D5 ConfReader: Got raw value \"${no.such}\".\n"
              "D5 ConfReader: Found, but reference inside value was not.\n"
              "D5 ConfReader: Getting String noValue...\n"
              "D5 ConfReader: Got raw value \"${typeless}\".\n"
              "D5 ConfReader: Found, but reference inside value didn't have a value.\n"
              "D5 ConfReader: Getting Bool x...\n"
              "D1 ConfReader: Found, but type is \"String\", not \"Bool\".\n"
              "D5 ConfReader: Getting String typeless...\n"
              "D5 ConfReader: Found, but has no value.\n"
              "D5 ConfReader: Getting DirName asDir...\n"
              "D5 ConfReader: Got raw value \"${dir}//sub\".\n"
              "D5 ConfReader: Reference \"dir\" = \"C:/d\".\n"
              "D5 ConfReader: Got final value \"C:\\d\\sub\\\".\n"
              "D5 ConfReader: Getting String loop...\n"
              "D5 ConfReader: Got raw value \"x${loop}\".\n");
    EXPECT_EQ(log.substr(log.rfind(loopPass) + loopPass.size()), "E3 loop\n");
}

TEST_F(ConfTreeTest, TypedGettersConvertOrLeaveTheOutValueAlone) {
    bool flag = false;
    EXPECT_EQ(tree.getBool("t", flag), CR_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(tree.getBool("f", flag), CR_OK);
    EXPECT_FALSE(flag);
    for (const char* bad : {"y", "sp"}) {
        flag = true;
        EXPECT_EQ(tree.getBool(bad, flag), CR_BAD_BOOL) << bad;
        EXPECT_TRUE(flag);
    }
    const struct {
        const char* key;
        int32_t value;
    } integers[] = {{"i1", 12},        {"i2", 0},         {"i3", -42},
                    {"i4", INT32_MAX}, {"i5", INT32_MIN}, {"i6", 10}};
    for (const auto& c : integers) {
        int32_t n = 7;
        EXPECT_EQ(tree.getInteger(c.key, n), CR_OK) << c.key;
        EXPECT_EQ(n, c.value) << c.key;
    }
    int32_t n = 7;
    EXPECT_EQ(tree.getInteger("s", n), CR_WRONG_TYPE);
    EXPECT_EQ(n, 7);

    TimeSpan span(3);
    EXPECT_EQ(tree.getTimeSpan("ts", span), CR_OK);
    EXPECT_EQ(span.getSeconds(), 5400);
    EXPECT_EQ(tree.getTimeSpan("badTs", span), CR_BAD_TIME_SPAN);
    EXPECT_EQ(span.getSeconds(), 5400);

    std::string dir = "unchanged";
    EXPECT_EQ(tree.getDirName("dir", dir), CR_OK);
    EXPECT_EQ(dir, "C:\\d\\");
    EXPECT_EQ(tree.getDirName("padDir", dir), CR_OK);
    EXPECT_EQ(dir, "C:\\p\\");
}

TEST_F(ConfTreeTest, GetSubObjectsAppendsChildNamesInOrder) {
    std::vector<std::string> names = {"one", "two"};
    EXPECT_EQ(tree.getSubObjects("stocksweep.scan.registry", names), CR_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"one", "two", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                               "HKEY_LOCAL_MACHINE"}));
    EXPECT_EQ(tree.getSubObjects("s", names), CR_OK);
    EXPECT_EQ(tree.getSubObjects("none", names), CR_NOT_FOUND);
    EXPECT_EQ(names.size(), 5u);
    EXPECT_EQ(log.take(),
              "D5 ConfReader: Getting sub-objects of \"stocksweep.scan.registry\".\n"
              "D5 ConfReader: Found 5 sub-objects.\n"
              "D5 ConfReader: Getting sub-objects of \"s\".\n"
              "D5 ConfReader: Found 5 sub-objects.\n"
              "D5 ConfReader: Getting sub-objects of \"none\".\n"
              "D5 ConfReader: None found.\n");
}

// The bound stops references that do not end, not values that hold many:
// each reference of the raw value has a pass of its own beyond the bound.
TEST(ConfTreeReferences, ManyReferencesThatEndResolve) {
    const uint32_t many = kMaxReferencePasses + 1;
    std::string refs;
    for (uint32_t i = 0; i < many; ++i) refs += "${z}";
    RecordingLog log;
    ConfTree tree(log);
    tree.build("z (String) = x {}\nmany (String) = '" + refs + "' {}\n", "many.conf");
    std::string out;
    EXPECT_EQ(tree.getString("many", out), CR_OK);
    EXPECT_EQ(out, std::string(many, 'x'));
    EXPECT_EQ(log.take().find("E3"), std::string::npos);
}

}  // namespace
}  // namespace Velmar
