#include "app/InventoryOps.h"

#include "shared/library/common/Environment.h"
#include "shared/library/system/SystemInfo.h"
#include "shared/library/common/WinHandle.h"
#include "shared/library/system/Wow64.h"

#include <lm.h>

namespace Velmar {

namespace {

constexpr DWORD kHostNameBuffer = 64;
constexpr DWORD kDnsDomainBuffer = 512;
constexpr int kWorkgroupBuffer = 260;
constexpr int kServerR2Metric = 89;  // SM_SERVERR2

using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);

HostIdentityHooks hooks;

bool readVersion(OsVersion& version) {
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) return false;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.productType = info.wProductType;
    version.suiteMask = info.wSuiteMask;
    version.platformId = info.dwPlatformId;
    version.serverR2 = ::GetSystemMetrics(kServerR2Metric) != 0;
    return true;
}

uint32_t nativeProcessorArchitecture() {
    SYSTEM_INFO info{};
    static const GetNativeSystemInfoFn native =
        lookUpSystemFunction<GetNativeSystemInfoFn>("kernel32.dll", "GetNativeSystemInfo");
    if (native != nullptr) {
        native(&info);
    } else {
        ::GetSystemInfo(&info);
    }
    return info.wProcessorArchitecture;
}

// The workgroup or NetBIOS domain of the local workstation; false when unknown.
bool workgroupName(std::string& name) {
    UniqueNetBuffer buffer;
    if (::NetWkstaGetInfo(nullptr, 100, buffer.put()) != NERR_Success) return false;
    const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer.get());
    if (info->wki100_langroup == nullptr) return false;
    char converted[kWorkgroupBuffer];
    const int length = ::WideCharToMultiByte(CP_ACP, 0, info->wki100_langroup, -1, converted,
                                             kWorkgroupBuffer, nullptr, nullptr);
    if (length <= 0) return false;
    name.assign(converted, static_cast<size_t>(length - 1));
    return true;
}

}  // namespace

std::string getOsProductName() {
    selectHive("HKEY_LOCAL_MACHINE");
    std::string product;
    if (readRegistryString("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                           product, isWow64()) != kRegOk) {
        return "";
    }
    return osNameFromProductName(product);
}

void setHostIdentityHooks(const HostIdentityHooks& replacement) { hooks = replacement; }

void getHostIdentity(std::string& domainName, std::string& hostName, std::string& architecture,
                     std::string& osName) {
    const uint32_t processor = nativeProcessorArchitecture();
    architecture = architectureName(processor);

    osName = hooks.productName ? hooks.productName() : getOsProductName();
    if (osName.empty()) {
        OsVersion version;
        version.processorArchitecture = processor;
        const bool read = hooks.versionInfo ? hooks.versionInfo(version) : readVersion(version);
        if (read) {
            if (version.platformId != kNtPlatform) {
                if (hooks.exitProcess) {
                    hooks.exitProcess(kExitNotNtPlatform);
                    return;
                }
                ::ExitProcess(kExitNotNtPlatform);
            }
            osName = osNameFromVersion(version);
        }
    }

    if (!readEnvironment("velmar_hostname", hostName)) {
        char name[kHostNameBuffer];
        DWORD size = kHostNameBuffer;
        hostName = ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
    }

    char dns[kDnsDomainBuffer];
    DWORD dnsSize = kDnsDomainBuffer;
    std::string domain;
    if (::GetComputerNameExA(ComputerNameDnsDomain, dns, &dnsSize)) domain.assign(dns, dnsSize);
    if (!domain.empty() && domain != hostName) {
        domainName = domain;
        return;
    }
    domainName = "N/A";
    std::string workgroup;
    if (workgroupName(workgroup)) domainName = workgroup;
}

}  // namespace Velmar
