#include "app/OsNames.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(ArchitectureNames, EveryCodeOfTheTable) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "i386"},   {1, "mips"},   {2, "alpha"},          {3, "powerpc"},
        {6, "ia64"},   {9, "amd64"},  {10, "ia32_on_win64"}, {65535, "unknown"},
        {4, "error"},  {5, "error"},  {7, "error"},          {8, "error"},
        {11, "error"}, {12, "error"}, {65534, "error"},      {0x1FFFF, "error"},
    };
    for (const auto& c : cases) EXPECT_EQ(architectureName(c.first), c.second) << c.first;
}

constexpr uint32_t kServer = 3;
constexpr uint32_t kDomainController = 2;

TEST(OsNameTable, EveryRowAndSuffixRule) {
    struct Case {
        uint32_t major, minor, productType, suiteMask;
        bool r2;
        uint32_t arch;
        const char* name;
    };
    const Case cases[] = {
        {3, 51, kWorkstationProduct, 0, false, kArchIntel, "Windows NT 351"},
        {3, 1, kServer, 0, false, kArchAmd64, "Windows NT 31"},
        {4, 0, kWorkstationProduct, 0, false, kArchIntel, "Windows NT 40"},
        {4, 10, kServer, 0, false, kArchIa64, "Windows NT 410"},
        {5, 0, kServer, 0, false, kArchAmd64, "Windows 2000"},
        {5, 1, kWorkstationProduct, 0, false, kArchAmd64, "Windows XP"},
        // 5.2: R2 first, then the storage suite, then XP x64, then Server 2003.
        {5, 2, kServer, kStorageServerSuite, true, kArchIntel, "Windows Server 2003 R2"},
        {5, 2, kServer, 0, true, kArchAmd64, "Windows Server 2003 R2 x64"},
        {5, 2, kServer, 0, true, kArchIa64, "Windows Server 2003 R2 ia64"},
        {5, 2, kWorkstationProduct, 0, true, kArchAmd64, "Windows Server 2003 R2"},
        {5, 2, kServer, kStorageServerSuite, false, kArchIntel, "Windows Storage Server 2003"},
        {5, 2, kServer, kStorageServerSuite, false, kArchAmd64, "Windows Storage Server 2003 x64"},
        {5, 2, kServer, kStorageServerSuite | 0x10, false, kArchIntel, "Windows Server 2003"},
        {5, 2, kWorkstationProduct, 0, false, kArchAmd64, "Windows XP x64"},
        {5, 2, kWorkstationProduct, 0, false, kArchIntel, "Windows Server 2003"},
        {5, 2, kWorkstationProduct, 0, false, kArchIa64, "Windows Server 2003"},
        {5, 2, kServer, 0, false, kArchIntel, "Windows Server 2003"},
        {5, 2, kDomainController, 0, false, kArchAmd64, "Windows Server 2003 x64"},
        {5, 2, kServer, 0, false, kArchIa64, "Windows Server 2003 ia64"},
        {5, 3, kServer, 0, false, kArchAmd64, "Windows 5 3"},
        {6, 0, kWorkstationProduct, 0, false, kArchIntel, "Windows Vista"},
        {6, 0, kWorkstationProduct, 0, false, kArchAmd64, "Windows Vista x64"},
        {6, 0, kServer, 0, false, kArchIa64, "Windows Server 2008 ia64"},
        {6, 1, kWorkstationProduct, 0, false, kArchAmd64, "Windows 7 x64"},
        {6, 1, kServer, 0, false, kArchIntel, "Windows Server 2008 R2"},
        {6, 1, kDomainController, 0, true, kArchAmd64, "Windows Server 2008 R2 x64"},
        {6, 2, kWorkstationProduct, 0, false, kArchIa64, "Windows 8 ia64"},
        {6, 2, kServer, 0, false, kArchAmd64, "Windows Server 2012 x64"},
        {6, 3, kWorkstationProduct, 0, false, kArchAmd64, "Windows 6 3"},
        {6, 2, kWorkstationProduct, 0, false, 10, "Windows 8"},
        {10, 0, kWorkstationProduct, 0, false, kArchAmd64, "Windows 10 0"},
        {2, 7, kWorkstationProduct, 0, false, kArchIntel, "Windows 2 7"},
    };
    for (const Case& c : cases) {
        const OsVersion v{c.major, c.minor, c.productType, c.suiteMask, kNtPlatform, c.r2, c.arch};
        EXPECT_EQ(osNameFromVersion(v), c.name)
            << c.major << "." << c.minor << " type " << c.productType << " arch " << c.arch;
    }
}

TEST(OsNameFromProduct, MicrosoftRemovedEveryBlankUnderscoredLowered) {
    const std::pair<const char*, const char*> cases[] = {
        {"Microsoft Windows 7", "windows_7"},
        {"Microsoft Windows Server 2008 R2 Standard", "windows_server_2008_r2_standard"},
        {"Windows 10 Pro", "windows_10_pro"},
        {"Microsoft Microsoft Windows", "windows"},
        {"Microsoft", "microsoft"},
        {"  Two  Blanks", "__two__blanks"},
        {"Tab\tAnd\rControl", "tab_and_control"},
        {"Server\xAE 2008", "server__2008"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(osNameFromProductName(c.first), c.second) << c.first;
}

}  // namespace
}  // namespace Velmar
