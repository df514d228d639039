// The host's processor architecture and operating-system names, as the
// inventory records carry them, computed from the numbers the system reports.
#pragma once

#include <cstdint>
#include <string>

namespace Velmar {

// Processor architecture codes of the native system information.
constexpr uint32_t kArchIntel = 0;
constexpr uint32_t kArchIa64 = 6;
constexpr uint32_t kArchAmd64 = 9;
constexpr uint32_t kArchUnknown = 0xFFFF;

// Product type of a workstation; platform identifier of the NT family.
constexpr uint32_t kWorkstationProduct = 1;
constexpr uint32_t kNtPlatform = 2;
// The storage-server suite mask.
constexpr uint32_t kStorageServerSuite = 0x2000;

// The process ends with this code on a platform outside the NT family when the
// registry gives no product name.
constexpr uint32_t kExitNotNtPlatform = 1005;

// "i386", "mips", "alpha", "powerpc", "ia64", "amd64", "ia32_on_win64",
// "unknown" (0xFFFF), or "error" for any other code.
std::string architectureName(uint32_t code);

// The extended version information and what else the name table looks at.
struct OsVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t productType = 0;
    uint32_t suiteMask = 0;
    uint32_t platformId = kNtPlatform;
    bool serverR2 = false;  // the system metric for Server 2003 R2 is non-zero
    uint32_t processorArchitecture = kArchIntel;
};

// "Windows " and the name for the version, with the processor suffixes; for
// versions the table does not know, major and minor separated by one blank.
std::string osNameFromVersion(const OsVersion& version);

// The registry product name with every "Microsoft " removed, blanks (bytes of
// signed value 32 or less, 0x80 and up included) turned into "_" and
// lower-cased: "Microsoft Windows 7 Professional" gives
// "windows_7_professional".
std::string osNameFromProductName(const std::string& productName);

}  // namespace Velmar
