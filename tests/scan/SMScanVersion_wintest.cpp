#include "scan/SMScan.h"

#include "shared/library/files/FileOps.h"
#include "tests/support/LogRecorder.h"
#include "tests/support/ScanTestSupport.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

namespace Velmar {

namespace {

using namespace testing;

// "<result>|<product>|<description>|<version>"
std::string versionText(const std::string& path) {
    ExeInfo info;
    info.productName = "old product";
    bool ok = SMScan::readVersionInfo(info, path);
    return std::string(ok ? "true" : "false") + "|" + info.productName + "|" +
           info.fileDescription + "|" + info.fileVersion;
}

TEST(SMScanVersion, ResourcesOfTheHelperExecutables) {
    const std::pair<std::string, std::string> cases[] = {
        // Strings only under the neutral language of the announced code page.
        {helperExe("ver_german"), "true|Neutral Suite|Neutral Tool|1.0.0.0"},
        // ...or only under US English: a product name alone is enough.
        {helperExe("ver_us"), "true|English Suite||2.0"},
        // The first entry has nothing in any language tried; the second has.
        {helperExe("ver_multi"), "true||Second Tool|3.1"},
        // Blanks go, and so does a leading byte from 0x80 up.
        {helperExe("ver_blanks"), "true|Produkt|Blank Tool|4.0"},
        // Blanks alone are no description or product name: the next language
        // is tried, and when none has more, nothing was read.
        {helperExe("ver_hollow"), "true|Hollow Suite|Hollow Tool|5.1"},
        {helperExe("ver_blank_only"), "false|old product||"},
        {helperExe("ver_none"), "false|old product||"},
        {testProgramDir() + "missing.exe", "false|old product||"},
        {"%nosuchvariable%\\ver_none.exe", "false|old product||"},
    };
    for (const auto& c : cases) EXPECT_EQ(versionText(c.first), c.second) << c.first;
}

TEST(SMScanVersion, LogsTheTranslationTableAndTheValuesFound) {
    LogRecorder log;
    SMScan::setLogger(log.unit);
    ExeInfo info;
    SMScan::readVersionInfo(info, helperExe("ver_multi"));
    SMScan::clearLogger();
    EXPECT_EQ(log.take(),
              "D5 SMScan: Getting file information...\n"
              "D5 SMScan: Number of language blocks in version info: 3\n"
              "D5 SMScan: Block: 0: LangId:040c Codepage:04e4\n"
              "D5 SMScan: Block: 1: LangId:041d Codepage:04b0\n"
              "D5 SMScan: Block: 2: LangId:0409 Codepage:04b0\n"
              "D5 SMScan: FileDescription:Second Tool, Product:, Version:3.1\n");
}

// The system's own program, named the ways registry values and services name it.
TEST(SMScanVersion, ASystemProgramUnderEverySpecialPrefix) {
    char windows[MAX_PATH] = {};
    ASSERT_NE(::GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    const std::string direct = std::string(windows) + "\\regedit.exe";
    const std::string expected = versionText(direct);
    ASSERT_EQ(expected.compare(0, 5, "true|"), 0) << expected;
    ASSERT_EQ(expected.find("||"), std::string::npos) << "description and version: " << expected;
    for (const std::string& path :
         {std::string("\\\\systemroot\\regedit.exe"), std::string("\\systemroot\\regedit.exe"),
          std::string("%windir%\\regedit.exe"), "\\\\??\\" + direct}) {
        EXPECT_EQ(versionText(path), expected) << path;
    }
    // The prefix is case-sensitive: "\SystemRoot" is no special prefix.
    EXPECT_EQ(versionText("\\SystemRoot\\regedit.exe").compare(0, 6, "false|"), 0);
}

#ifdef STOCKSWEEP_CORPUS_DIR
// Every file below `dir` (a Windows path with a trailing separator).
void collect(const std::string& dir, std::vector<std::string>& files) {
    for (const DirectoryEntry& entry : listDirectory(dir, "*")) {
        if (entry.name == "." || entry.name == "..") continue;
        if (entry.isDirectory) {
            collect(dir + entry.name + "\\", files);
        } else {
            files.push_back(dir + entry.name);
        }
    }
}
#endif

// Real shortcuts and executables, some malformed: each is read or refused, and
// nothing escapes.
TEST(SMScanVersion, CorpusFilesLoadOrFailCleanly) {
#ifndef STOCKSWEEP_CORPUS_DIR
    GTEST_SKIP() << "no corpus beside the repository (../shared/corpus)";
#else
    std::string root = std::string("Z:") + STOCKSWEEP_CORPUS_DIR + "/";
    for (char& c : root) c = c == '/' ? '\\' : c;
    ensureScannerCom();
    std::vector<std::string> links, programs;
    collect(root + "lnk\\", links);
    collect(root + "pe\\", programs);
    if (links.empty() && programs.empty()) GTEST_SKIP() << "corpus at " << root << " is empty";
    int readLinks = 0, readPrograms = 0;
    for (const std::string& link : links) {
        std::string out;
        EXPECT_NO_THROW(readLinks += SMScanProbe::readShortcut(link, out)) << link;
    }
    for (const std::string& program : programs) {
        ExeInfo info;
        EXPECT_NO_THROW(readPrograms += SMScan::readVersionInfo(info, program)) << program;
    }
    std::printf("corpus: %d of %zu shortcuts and %d of %zu programs read\n", readLinks,
                links.size(), readPrograms, programs.size());
#endif
}

}  // namespace
}  // namespace Velmar
