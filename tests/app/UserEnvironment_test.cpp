#include "app/UserEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Velmar {
namespace {

// The process's environment as the test sees it: marks what reaches it.
class Process : public TextExpander {
public:
    std::string expand(const std::string& text) override { return "[" + text + "]"; }
};

TEST(UserEnvironment, TheUsersVariablesFirstTheProcessForTheRest) {
    Process process;
    UserEnvironment user("C:\\users\\anna", process);
    // The hive's own Environment key: TEMP refers to the user's profile,
    // USERNAME takes the place of the folder's name.
    std::vector<SourceValue> values(4);
    values[0] = {"TEMP", kRegExpandSz, true, false, "%USERPROFILE%\\AppData\\Local\\Temp"};
    values[1] = {"username", kRegSz, true, false, "Anna B"};
    values[2] = {"Tools", kRegSz, true, false, "%USERPROFILE%\\tools"};  // REG_SZ: kept as is
    values[3] = {"Bin", 3, false, false, ""};
    addUserVariables(values, values.size(), user);

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"%LOCALAPPDATA%\\app\\a.exe", "[C:\\users\\anna\\AppData\\Local\\app\\a.exe]"},
        {"%AppData%\\b.exe", "[C:\\users\\anna\\AppData\\Roaming\\b.exe]"},
        {"%USERPROFILE%\\c.exe", "[C:\\users\\anna\\c.exe]"},
        {"%HOMEDRIVE%%HOMEPATH%\\d.exe", "[C:\\users\\anna\\d.exe]"},
        {"%TEMP%\\e.exe", "[C:\\users\\anna\\AppData\\Local\\Temp\\e.exe]"},
        {"%USERNAME%", "[Anna B]"},
        {"%Tools%\\f.exe", "[%USERPROFILE%\\tools\\f.exe]"},
        {"%SystemRoot%\\g.exe", "[%SystemRoot%\\g.exe]"},
        {"%SystemRoot%%APPDATA%\\h.exe", "[%SystemRoot%C:\\users\\anna\\AppData\\Roaming\\h.exe]"},
        {"100% %APPDATA", "[100% %APPDATA]"},
        {"%Bin%", "[%Bin%]"},
    };
    for (const auto& [text, expanded] : cases) EXPECT_EQ(user.expand(text), expanded) << text;
}

TEST(UserEnvironment, AProfileWithoutADrive) {
    Process process;
    UserEnvironment user("\\\\server\\profiles\\bob", process);
    EXPECT_EQ(user.expand("<%HOMEDRIVE%><%HOMEPATH%><%USERNAME%>"),
              "[<><\\\\server\\profiles\\bob><bob>]");
}

}  // namespace
}  // namespace Velmar
