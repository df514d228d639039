// The Windows side of the registries of other users: a hive file read while
// others hold it open, and which profile a loaded user's texts expand with.
#include "app/OfflineProfiles.h"

#include "app/RegistryScan.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(OfflineProfiles, AHiveFileIsReadWhileOthersHoldItButNotWhileItsUserLogsOn) {
    testing::ScratchDir dir("ssweep-hivefile");
    const std::string path = dir.makeFile("NTUSER.DAT", "regf and the rest");
    std::vector<uint8_t> bytes;
    uint32_t error = 0;
    {
        // Open for writing and deleting, as the system may hold it.
        UniqueFileHandle held(::CreateFileA(path.c_str(), GENERIC_WRITE | DELETE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.valid());
        ASSERT_TRUE(readSharedFile(path, bytes, error));
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "regf and the rest");
    }
    {
        // Held without sharing, as while its user logs on.
        UniqueFileHandle held(
            ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.valid());
        EXPECT_FALSE(readSharedFile(path, bytes, error));
        EXPECT_EQ(error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    }
    // Closed after the read: the file can be had exclusively again.
    ASSERT_TRUE(readSharedFile(path, bytes, error));
    UniqueFileHandle alone(
        ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(alone.valid());
    EXPECT_FALSE(readSharedFile(dir.path() + "missing.dat", bytes, error));
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

// Texts of keys below HKEY_USERS: a user of the profile list expands with
// his own folder, whether his hive or his classes; the logged-on user with
// the variables of his loaded Environment key too; ".DEFAULT", which has no
// profile, with the program's own environment.
TEST(OfflineProfiles, TextsOfLoadedUsersExpandWithTheirOwnProfiles) {
    const std::string other = "S-1-5-21-3000000001-" + std::to_string(::GetCurrentProcessId());
    const testing::ProfileListEntry entry(other, "C:\\Profiles\\anna\\");
    const std::string self = testing::processUserSid();
    UniqueHKey environmentKey;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, "Environment", 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                              environmentKey.put()),
              ERROR_SUCCESS);
    const char tools[] = "%USERPROFILE%\\tools";
    ASSERT_EQ(::RegSetValueExA(environmentKey.get(), "SSWEEPTOOLS", 0, REG_EXPAND_SZ,
                               reinterpret_cast<const BYTE*>(tools), sizeof(tools)),
              ERROR_SUCCESS);

    testing::RecordingLog log(0);
    ProcessEnvironment process(log);
    const std::unique_ptr<TextExpander> users = loadedUserEnvironments(process, log);
    EXPECT_EQ(users->expand(other + "\\Software\\Run", "%LOCALAPPDATA%\\a.exe"),
              "C:\\Profiles\\anna\\AppData\\Local\\a.exe");
    EXPECT_EQ(users->expand(other + "_Classes\\x", "\"%HOMEDRIVE%%HOMEPATH%\\b.exe\" %USERNAME%"),
              "\"C:\\Profiles\\anna\\b.exe\" anna");
    const std::string profile = process.expand("", "%USERPROFILE%");
    EXPECT_EQ(users->expand(self + "\\Run", "%SSWEEPTOOLS%\\c.exe"), profile + "\\tools\\c.exe");
    EXPECT_EQ(users->expand(".DEFAULT\\Run", "%SSWEEPTOOLS%\\%SystemRoot%"),
              "%SSWEEPTOOLS%\\" + process.expand("", "%SystemRoot%"));
    ::RegDeleteValueA(environmentKey.get(), "SSWEEPTOOLS");
}

}  // namespace
}  // namespace Velmar
