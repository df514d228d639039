#include "shared/library/common/Exception.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Velmar {
namespace {

TEST(ExceptionText, FamilyNameCodeMessageAndCodeText) {
    struct Case {
        std::unique_ptr<Exception> ex;
        const char* text;
    };
    Case cases[] = {
        {std::make_unique<TimeException>(TimeException::TM_INPUT),
         "Time: Illegal input format. (Code: 4.10)"},
        {std::make_unique<TimeException>(TimeException::TM_HOURS),
         "Time: Hours out of range: (0-23). (Code: 4.2)"},
        {std::make_unique<FileException>(FileException::FL_CANNOT_OPEN),
         "File: File cannot be opened. (Code: 60.5)"},
        {std::make_unique<FileException>(27), "File: Unknown error (Code: 60.27)"},
        {std::make_unique<FileException>(FileException::FL_ERROR),
         "File: An error occured. (No changes made.) (Code: 60.28)"},
        {std::make_unique<FileException>(29), "File: Unknown error (Code: 60.29)"},
        {std::make_unique<ConfigException>(ConfigException::CF_CONF),
         "Configuration: Error in conf file. (Code: 1.1)"},
        {std::make_unique<ConfigException>(3), "Configuration: Unknown error (Code: 1.3)"},
        // IPC shares the family number 4 with Time but names its own family.
        {std::make_unique<IPCException>(IPCException::IC_MEM), "IPC: Out of memory. (Code: 4.7)"},
        {std::make_unique<IPCException>(IPCException::IC_NOT_SENDER),
         "IPC: Receiver cannot send. (Code: 4.3)"},
        {std::make_unique<IPCException>(4000000000u), "IPC: Unknown error (Code: 4.4000000000)"},
        {std::make_unique<Exception>(0), "Exception: Unknown error (Code: 63.0)"},
        {std::make_unique<Exception>(7), "Exception: Unknown error (Code: 63.7)"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.ex->text(), c.text);
    EXPECT_EQ(TimeException(TimeException::TM_HOURS).family(),
              IPCException(IPCException::IC_NOT_SENDER).family());
}

TEST(ExceptionTables, SymbolicNamesFollowTheCodes) {
    EXPECT_STREQ(FileException(FileException::FL_IS_LOCKED).codeInfo().name, "FL_IS_LOCKED");
    EXPECT_STREQ(FileException(27).codeInfo().name, "");
    EXPECT_STREQ(FileException(27).codeInfo().message, "");
    EXPECT_STREQ(TimeException(TimeException::TM_ANCIENT).codeInfo().name, "TM_ANCIENT");
    EXPECT_STREQ(ConfigException(ConfigException::CF_CANNOT_UNCOMPRESS).codeInfo().name,
                 "CF_CANNOT_UNCOMPRESS");
    EXPECT_STREQ(IPCException(IPCException::IC_CANNOT_RECEIVE).codeInfo().name,
                 "IC_CANNOT_RECEIVE");
    EXPECT_STREQ(Exception(0).codeInfo().name, "");
}

TEST(ExceptionTrace, KeepsBareUnitNames) {
    Exception ex(1);
    ex.addTrace("C:\\src\\lib/common\\FileBase.cpp", 120);
    ex.addTrace("/home/build/TimeSpan.cpp", 7);
    ex.addTrace("NoFolder.h", 3);
    ex.addTrace("NoExtension", 4);
    ex.addTrace("dir.v2/Unit", 5);     // the dot stands in a folder, not in the unit name
    ex.addTrace("src/Log.v2.cpp", 6);  // only the last dot starts the extension
    ex.addTrace("src/.cpp", 8);        // all extension: an empty unit name
    ex.addTrace("", 99);               // adds nothing
    std::vector<std::string> units;
    for (const auto& entry : ex.trace()) units.push_back(entry.unit);
    ASSERT_EQ(units, (std::vector<std::string>{"FileBase", "TimeSpan", "NoFolder", "NoExtension",
                                               "Unit", "Log.v2", ""}));
    EXPECT_EQ(ex.trace()[0].line, 120);
}

TEST(ExceptionDetails, AddsMessageAndTraceLines) {
    FileException ex(FileException::FL_CANNOT_OPEN, "C:\\x.dat", "shared\\FileBase.cpp", 120);
    EXPECT_EQ(ex.details(),
              "File: File cannot be opened. (Code: 60.5)\r\n"
              "  >  (C:\\x.dat)\r\n"
              "  >  FileBase(120)");
    ex.addTrace("FilePlain.cpp", 33);
    EXPECT_EQ(ex.details(),
              "File: File cannot be opened. (Code: 60.5)\r\n"
              "  >  (C:\\x.dat)\r\n"
              "  >  FileBase(120) - FilePlain(33)");

    TimeException bare(TimeException::TM_DAYS);
    EXPECT_EQ(bare.details(), bare.text());

    TimeException traceOnly(TimeException::TM_DAYS, "", "TimeSpan.cpp", 10);
    EXPECT_EQ(traceOnly.details(), traceOnly.text() + "\r\n  >  TimeSpan(10)");
}

TEST(ExceptionThrow, MacroRecordsRaisingUnit) {
    try {
        VELMAR_THROW(FileException, FileException::FL_EOF, "end");
        FAIL() << "nothing thrown";
    } catch (const Exception& ex) {
        EXPECT_EQ(ex.code(), FileException::FL_EOF);
        EXPECT_EQ(ex.message(), "end");
        ASSERT_EQ(ex.trace().size(), 1u);
        EXPECT_EQ(ex.trace()[0].unit, "Exception_test");
        EXPECT_EQ(ex.text(), "File: End of file. (Code: 60.14)");
    }
}

}  // namespace
}  // namespace Velmar
