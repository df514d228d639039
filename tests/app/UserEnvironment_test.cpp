#include "app/UserEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Velmar {
namespace {

// The process's environment as the test sees it: marks what reaches it.
class Process : public TextExpander {
public:
    std::string expand(const std::string& /*keyPath*/, const std::string& text) override {
        return "[" + text + "]";
    }
};

TEST(UserEnvironment, TheUsersVariablesFirstTheProcessForTheRest) {
    Process process;
    UserEnvironment user("C:\\users\\anna", process);
    // The hive's own Environment key: TEMP refers to the user's profile,
    // USERNAME takes the place of the folder's name.
    const auto value = [](const char* name, uint32_t type, bool hasText, const char* text) {
        SourceValue value;
        value.name = name;
        value.type = type;
        value.hasText = hasText;
        value.text = text;
        return value;
    };
    const std::vector<SourceValue> values = {
        value("TEMP", kRegExpandSz, true, "%USERPROFILE%\\AppData\\Local\\Temp"),
        value("username", kRegSz, true, "Anna B"),
        value("Tools", kRegSz, true, "%USERPROFILE%\\tools"),  // REG_SZ: kept as is
        value("Bin", 3, false, ""),
    };
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
    for (const auto& [text, expanded] : cases) EXPECT_EQ(user.expand("", text), expanded) << text;
}

TEST(UserEnvironment, AProfileWithoutADrive) {
    Process process;
    UserEnvironment user("\\\\server\\profiles\\bob", process);
    EXPECT_EQ(user.expand("", "<%HOMEDRIVE%><%HOMEPATH%><%USERNAME%>"),
              "[<><\\\\server\\profiles\\bob><bob>]");
}

// The loaded hives below HKEY_USERS: a key's first component names the user
// (its classes hive too), each user's environment is made once, and a SID
// without a profile expands from the process.
TEST(UserEnvironment, EachLoadedUserExpandsWithHisOwnProfile) {
    Process process;
    std::vector<std::string> loaded;
    UserEnvironments users(
        [&](const std::string& sid) -> std::unique_ptr<UserEnvironment> {
            loaded.push_back(sid);
            if (sid == ".DEFAULT") return nullptr;
            return std::make_unique<UserEnvironment>("C:\\users\\" + sid, process);
        },
        process);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"S-1-5-21-7\\Software\\Run", "[C:\\users\\S-1-5-21-7\\AppData\\Local\\a.exe]"},
        {"S-1-5-21-7_Classes\\x", "[C:\\users\\S-1-5-21-7\\AppData\\Local\\a.exe]"},
        {"S-1-5-21-8", "[C:\\users\\S-1-5-21-8\\AppData\\Local\\a.exe]"},
        {".DEFAULT\\Software", "[%LOCALAPPDATA%\\a.exe]"},
        {"_Classes\\x", "[C:\\users\\_Classes\\AppData\\Local\\a.exe]"},
        {"S-1-5-21-7\\Other", "[C:\\users\\S-1-5-21-7\\AppData\\Local\\a.exe]"},
        {".DEFAULT", "[%LOCALAPPDATA%\\a.exe]"},
    };
    for (const auto& [keyPath, expanded] : cases) {
        EXPECT_EQ(users.expand(keyPath, "%LOCALAPPDATA%\\a.exe"), expanded) << keyPath;
    }
    EXPECT_EQ(loaded,
              (std::vector<std::string>{"S-1-5-21-7", "S-1-5-21-8", ".DEFAULT", "_Classes"}));
}

}  // namespace
}  // namespace Velmar
