#include "packaging/ConfSetup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kShipped[] =
    "Velmar () = '' {\n"
    "  directories () = '' {\n"
    "    conf (DirName) = \"C:\\\\Program Files\\\\Velmar\\\\Configuration\" {}\n"
    "  }\n"
    "}\n"
    "log () = '' {\n"
    "}\n";

std::string shippedWith(const std::string& value) {
    std::string text = kShipped;
    const std::string old = "C:\\\\Program Files\\\\Velmar\\\\Configuration";
    return text.replace(text.find(old), old.size(), value);
}

TEST(ConfSetup, TheEntryNamesTheGivenDirectory) {
    struct Case {
        const char* dir;
        std::string expected;
    } cases[] = {
        {"C:\\Program Files (x86)\\Velmar\\Configuration\\",
         shippedWith("C:\\\\Program Files (x86)\\\\Velmar\\\\Configuration")},
        {"D:\\Suite\\Configuration", shippedWith("D:\\\\Suite\\\\Configuration")},
        {"D:/Suite/Configuration//", shippedWith("D:/Suite/Configuration")},
        {"\\\\host\\share\\conf\\", shippedWith("\\\\\\\\host\\\\share\\\\conf")},
        {"\\", shippedWith("\\\\")},  // a lone separator stays
    };
    for (const Case& c : cases) {
        std::string out;
        ASSERT_TRUE(setup::withConfDir(kShipped, c.dir, out)) << c.dir;
        EXPECT_EQ(c.expected, out) << c.dir;
    }
    // The entry indented by a tab, in a file with CRLF line ends.
    std::string out;
    ASSERT_TRUE(
        setup::withConfDir("a () = '' {\r\n\tconf (DirName) = \"x\" {}\r\n}\r\n", "E:\\c\\", out));
    EXPECT_EQ("a () = '' {\r\n\tconf (DirName) = \"E:\\\\c\" {}\r\n}\r\n", out);
}

TEST(ConfSetup, TextWithoutExactlyOneEntryIsRefused) {
    const std::string cases[] = {
        "",
        "log () = '' {\n}\n",
        // Not at the beginning of a line.
        "x () = 'conf (DirName) = \"a\"' {}\n",
        std::string(kShipped) + "  conf (DirName) = \"D:\\\\other\" {}\n",
        // The value does not end on its line.
        "conf (DirName) = \"C:\\\\x\n\" {}\n",
        "conf (DirName) = \"C:\\\\x",
    };
    for (const std::string& text : cases) {
        std::string out = "unchanged";
        EXPECT_FALSE(setup::withConfDir(text, "C:\\y\\", out)) << text;
        EXPECT_EQ("unchanged", out) << text;
    }
}

}  // namespace
