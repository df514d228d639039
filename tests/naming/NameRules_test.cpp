#include "naming/NameRules.h"

#include "tests/support/LogRecorder.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

struct NameCase {
    const char* what;
    ExeInfo in;                // exeFile, menuName, productName, fileDescription, -, -, menuFolder
    std::string rules;         // one mapping for "foo": "<kind>:<value>", or empty for none
    std::string name;          // expected appName
    std::string lastLog;       // the last debug text written
    std::string product = "";  // expected productName afterwards, when it changes
    std::string description = "";  // expected fileDescription afterwards, when it changes
};

ExeInfo info(const char* exe, const char* menu, const char* product, const char* desc,
             const char* folder) {
    ExeInfo i;
    i.exeFile = exe;
    i.menuName = menu;
    i.productName = product;
    i.fileDescription = desc;
    i.menuFolder = folder;
    return i;
}

ApplicationMappings rulesFor(const std::string& rule) {
    ApplicationMappings m;
    if (rule.empty()) return m;
    m["foo"] = {rule.substr(2), static_cast<MappingKind>(rule[0] - '0')};
    return m;
}

TEST(NameRules, DecideNameEveryStepAndFallThrough) {
    const std::string high = "\x80Tool";
    const NameCase cases[] = {
        {"ignore", info("Foo.EXE", "M", "P", "D", "F"), "1:", "!", ""},
        {"ignore matches the base name only", info("foo.exe.bak", "", "", "", ""), "1:", "foo.exe",
         "D5 ExeFinder: Using \"foo.exe.bak\" to \"foo.exe\"."},
        {"mapalways beats the description", info("foo.exe", "", "", "Foo Tool", ""), "2:Foo Suite",
         "Foo Suite", ""},
        {"mapmedium takes the description", info("foo.exe", "", "P", "Foo Tool Application", ""),
         "3:Foo Suite", "Foo Tool", ""},
        {"mapmedium without description: product", info("foo.exe", "M", "Prod", "", ""),
         "3:Foo Suite", "Prod", "D5 ExeFinder: Product name/description \"foo.exe\" to \"Prod\"."},
        {"mapmedium, cleaned-away description: then menu name", info("foo.exe", "M", "", "123", ""),
         "3:Foo Suite", "M", "D5 ExeFinder: Menu name \"foo.exe\" to \"M\"."},
        {"maplast with nothing else keeps the value", info("foo.exe", "", "", "", "Programs"),
         "4:Foo Suite", "Foo Suite", "D5 ExeFinder: Using \"foo.exe\" to \"Foo Suite\"."},
        {"maplast yields to the menu folder", info("foo.exe", "", "", "", "Tools"), "4:Foo Suite",
         "Tools", "D5 ExeFinder: Menu folder \"foo.exe\" to \"Tools\"."},
        {"kind None has an empty value", info("foo.exe", "", "", "", ""), "0:", "foo",
         "D5 ExeFinder: Using \"foo.exe\" to \"foo\"."},
        {"description before product", info("bar.exe", "", "Bar Suite", "Bar Tool", ""), "",
         "Bar Tool", "D5 ExeFinder: Product name/description \"bar.exe\" to \"Bar Tool\"."},
        {"operating system product: base name",
         info("Bar.exe", "M", "Microsoft Operating System", "", ""), "", "bar",
         "D5 ExeFinder: Product name/description \"Bar.exe\" to \"bar\".", "", "bar"},
        {"unprintable description replaced by the base", info("Bar.Exe", "", "", high.c_str(), ""),
         "", "bar", "D5 ExeFinder: Product name/description \"Bar.Exe\" to \"bar\".", "", "bar"},
        {"unprintable product replaced by the base", info("bar.exe", "", "Bar\x7f", "", ""), "",
         "bar", "D5 ExeFinder: Product name/description \"bar.exe\" to \"bar\".", "bar"},
        {"cleaned-away product falls to the folder", info("bar.exe", "", "2.0", "", "Bar Folder"),
         "", "Bar Folder", "D5 ExeFinder: Menu folder \"bar.exe\" to \"Bar Folder\"."},
        {"programs folder in any case is no name", info("Bar.Tool.exe", "", "", "", "PROGRAMS"), "",
         "Bar.Tool", "D5 ExeFinder: Using \"Bar.Tool.exe\" to \"Bar.Tool\"."},
        {"no extension", info("bar", "", "", "", ""), "", "bar",
         "D5 ExeFinder: Using \"bar\" to \"bar\"."},
    };
    for (const NameCase& c : cases) {
        testing::LogRecorder log;
        ExeInfo record = c.in;
        decideName(record, rulesFor(c.rules), log.unitLog);
        EXPECT_EQ(record.appName, c.name) << c.what;
        EXPECT_EQ(log.lastLine(), c.lastLog) << c.what;
        EXPECT_EQ(record.productName, c.product.empty() ? c.in.productName : c.product) << c.what;
        EXPECT_EQ(record.fileDescription,
                  c.description.empty() ? c.in.fileDescription : c.description)
            << c.what;

        // Deciding again on the stored record gives the same name.
        ExeInfo again = record;
        LoggerUnitLog silent(nullptr);
        decideName(again, rulesFor(c.rules), silent);
        EXPECT_EQ(again.appName, c.name) << c.what << " (again)";
    }
}

TEST(NameRules, IgnoredTextsAreLogged) {
    testing::LogRecorder log;
    ExeInfo record = info("bar.exe", "", "P\x01", "D\xe9", "");
    decideName(record, {}, log.unitLog);
    EXPECT_EQ(log.take(),
              "D5 ExeFinder: Ignored Product:P\x01, Using:bar.\n"
              "D5 ExeFinder: Ignored FileDescription:D\xe9, Using:bar.\n"
              "D5 ExeFinder: Product name/description \"bar.exe\" to \"bar\".\n");
}

TEST(NameRules, CleanName) {
    const std::pair<std::string, std::string> cases[] = {
        {"Foo Application", "Foo"},
        {"Bar Application File", "Bar"},
        {"Application", "Application"},
        {"APPLICATION FILE", "APPLICATION FILE"},
        {"FooApplication", "Foo"},
        {"Foo \x80\x09 application", "Foo"},
        {"A application", "A "},  // the first two bytes always stay
        {"  application", ""},    // ...and then hold no letter
        {"AB  application", "AB"},
        {"123", ""},
        {"", ""},
        {"Tool 2", "Tool 2"},
        {"Z 2", "Z 2"},
        {"2z", "2z"},
        {"Application files", "Application files"},
    };
    for (const auto& c : cases) {
        std::string name = c.first;
        cleanName(name);
        EXPECT_EQ(name, c.second) << c.first;
    }
}

TEST(NameRules, IsPrintable) {
    EXPECT_TRUE(isPrintable(""));
    EXPECT_TRUE(isPrintable(" ~\t\n\rAz"));
    for (const char* bad : {"\x7f", "\x80", "a\x01", "\xff", "\x1f"}) {
        EXPECT_FALSE(isPrintable(bad)) << static_cast<int>(static_cast<unsigned char>(bad[0]));
    }
}

}  // namespace
}  // namespace Velmar
