// The host identity that every inventory record carries (domain or workgroup,
// host name, processor architecture, operating-system name), and the test for a
// 32-bit process on 64-bit Windows that selects the 32-bit registry view.
#pragma once

#include "app/OsNames.h"
#include "shared/library/system/Wow64.h"

#include <cstdint>
#include <string>

namespace Velmar {

// isWow64() selects the 32-bit registry view; the library keeps it.

// Fills the four texts. Failures leave documented defaults: architecture
// "error" or "unknown", OS name empty or built from the version numbers, host
// name empty, domain "N/A". On a platform outside the NT family with no product
// name in the registry the process ends with exit code 1005.
void getHostIdentity(std::string& domainName, std::string& hostName, std::string& architecture,
                     std::string& osName);

// The product name from HKEY_LOCAL_MACHINE (which becomes the current hive) in
// the form osNameFromProductName gives; "" when it cannot be read.
std::string getOsProductName();

// Replacements for the platform calls that a test cannot steer on its host; a
// null member means the real call.
struct HostIdentityHooks {
    std::string (*productName)() = nullptr;     // getOsProductName
    bool (*versionInfo)(OsVersion&) = nullptr;  // GetVersionExA and the metric for R2
    void (*exitProcess)(uint32_t) = nullptr;    // ExitProcess
};
void setHostIdentityHooks(const HostIdentityHooks& hooks);

}  // namespace Velmar
