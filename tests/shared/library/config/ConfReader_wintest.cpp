#include "shared/library/config/ConfReader.h"

#include "shared/library/common/Exception.h"
#include "shared/library/logger/LogSettings.h"
#include "tests/support/RecordingChain.h"
#include "tests/support/ConfTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

using testing::dumpTree;

const char kGood[] = "a (String) = 1 {\n  b (Integer) = 2 {}\n}\nc () = '' {}\n";
const char kGoodTree[] = "a(String)=1{b(Integer)=2{}}c()={}";

class ConfReaderFiles : public ::testing::Test {
protected:
    void SetUp() override { resetLogSettingsForTests(); }
    void TearDown() override { resetLogSettingsForTests(); }

    // Builds from a file holding `content` and answers what was logged.
    std::string build(const std::string& name, const std::string& content) {
        const std::string path = dir.makeFile(name, content);
        return buildPath(path);
    }
    std::string buildPath(const std::string& path) {
        chain.messenger->take();
        reader->buildDomTree(path);
        return chain.messenger->take();
    }
    std::string building(const std::string& path) {
        return "D2 ConfReader: Building DOM tree from file \"" + path + "\"...\n";
    }

    testing::ScratchDir dir{"conf"};
    testing::RecordingChain chain;
    std::unique_ptr<ConfReader> reader = std::make_unique<ConfReader>(chain.centre);
};

TEST_F(ConfReaderFiles, KeepsTheOldTreeWhenTheFileCannotBeRead) {
    EXPECT_EQ(build("good.conf", kGood),
              building(dir.path() + "good.conf") + "D2 ConfReader: DOM tree built.\n");
    EXPECT_EQ(dumpTree(reader->root()), kGoodTree);

    const std::string missing = dir.path() + "missing.conf";
    EXPECT_EQ(buildPath(missing), building(missing) + "E1.1 " + missing + "|" +
                                      FileException(FileException::FL_EXISTS_NOT).text() + "\n");
    EXPECT_EQ(dumpTree(reader->root()), kGoodTree);

    // A directory opens as no file.
    const std::string sub = dir.makeDir("sub");
    const std::string said = buildPath(sub);
    EXPECT_EQ(said.rfind(building(sub) + "E1.1 " + sub + "|File: ", 0), 0u) << said;
    EXPECT_EQ(dumpTree(reader->root()), kGoodTree);
}

TEST_F(ConfReaderFiles, SyntaxErrorsAndAStrayBraceAtTheTopLevel) {
    const std::string path = dir.path() + "bad.conf";
    EXPECT_EQ(build("bad.conf", "a () = 1 {}\nb () = 2 { c () = 3 {} }\nd () =\n\n4 e {}\n"),
              building(path) +
                  "D1 ConfReader: Missing '{'.\n"
                  "E1.2 " +
                  path +
                  "|Configuration: Error in conf file. (Code: 1.1)\n"
                  "D1 ConfReader: Configuration: Error in conf file. (Code: 1.1), line 5.\n");
    EXPECT_EQ(dumpTree(reader->root()), "a()=1{}b()=2{c()=3{}}");

    EXPECT_EQ(build("stray.conf", "a () = 1 {} } b () = 2 {}"),
              building(dir.path() + "stray.conf") + "D2 ConfReader: DOM tree built.\n");
    EXPECT_EQ(dumpTree(reader->root()), "a()=1{}");
}

TEST_F(ConfReaderFiles, CrLfFileGivesTheTreeOfTheLfFile) {
    const std::string lf =
        "// settings\n() = '' {}\nlog () = '' {\n  dir (DirName) = 'C:\\\\logs' {}\n"
        "  time (String) =\n  local\n  {\n  }\n}\n/* end\n */";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    build("lf.conf", lf);
    const std::string fromLf = dumpTree(reader->root());
    EXPECT_EQ(fromLf, "// settings()={}log()={dir(DirName)=C:\\logs{}time(String)=local{}}")
        << "the comment is the name of the first entry";
    build("crlf.conf", crlf);
    EXPECT_EQ(dumpTree(reader->root()), fromLf);
}

TEST_F(ConfReaderFiles, BadFilesNeverCrashOrLoseTheTree) {
    // Every cut of a good file builds something or reports a syntax error.
    for (size_t cut = 0; cut < sizeof(kGood) - 1; ++cut) {
        build("cut.conf", std::string(kGood, cut));
        ASSERT_NE(reader->root(), nullptr) << cut;
    }
    build("cut.conf", std::string(kGood, sizeof(kGood) - 2));  // no final line end
    EXPECT_EQ(dumpTree(reader->root()), kGoodTree);

    build("nul.conf", std::string(4096, '\0'));
    EXPECT_EQ(dumpTree(reader->root()), "");

    const std::string big(10 * 1024 * 1024, 'v');
    build("big.conf", "a (String) = " + big + " {}");
    std::string value;
    EXPECT_EQ(reader->getString("a", value), CR_OK);
    EXPECT_EQ(value.size(), big.size());
    // Deep and wide files: see the parser's tests, which run on this stack too.
}

TEST(ConfReaderHandle, LogsItsLifeAndAnEmptyHandleAnswersNoReader) {
    resetLogSettingsForTests();
    testing::RecordingChain chain;
    SmartPointer<ConfReader> none;
    std::string text = "kept";
    bool flag = true;
    int32_t number = 3;
    EXPECT_EQ(getString(none, "a", text), CR_NO_READER);
    EXPECT_EQ(getBool(none, "a", flag), CR_NO_READER);
    EXPECT_EQ(getInteger(none, "a", number), CR_NO_READER);
    EXPECT_EQ(getDirName(none, "a", text), CR_NO_READER);
    EXPECT_EQ(text + std::to_string(flag) + std::to_string(number), "kept13");

    auto reader = std::make_shared<ConfReader>(chain.centre);
    EXPECT_EQ(getString(reader, "a", text), CR_NOT_FOUND);
    reader.reset();
    EXPECT_EQ(chain.messenger->take(),
              "D1 LoggerUnit: Created logger for the Configuration module.\n"
              "D1 ConfReader: Created.\n"
              "D5 ConfReader: Getting String a...\n"
              "D5 ConfReader: Not found.\n"
              "D1 ConfReader: Destroyed.\n"
              "D1 LoggerUnit: Destroyed logger for the Configuration module.\n");
}

}  // namespace
}  // namespace Velmar
