#include "app/OsNames.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

std::string architectureName(uint32_t code) {
    switch (code) {
        case 0: return "i386";
        case 1: return "mips";
        case 2: return "alpha";
        case 3: return "powerpc";
        case 6: return "ia64";
        case 9: return "amd64";
        case 10: return "ia32_on_win64";
        case kArchUnknown: return "unknown";
        default: return "error";
    }
}

namespace {

std::string numbered(const OsVersion& v) {
    return std::to_string(v.major) + " " + std::to_string(v.minor);
}

std::string processorSuffix(const OsVersion& v) {
    if (v.processorArchitecture == kArchAmd64) return " x64";
    if (v.processorArchitecture == kArchIa64) return " ia64";
    return "";
}

std::string windows2003Family(const OsVersion& v) {
    const bool workstation = v.productType == kWorkstationProduct;
    std::string name;
    if (v.serverR2) {
        name = "Server 2003 R2";
    } else if (v.suiteMask == kStorageServerSuite) {
        name = "Storage Server 2003";
    } else if (workstation && v.processorArchitecture == kArchAmd64) {
        name = "XP x64";
    } else {
        name = "Server 2003";
    }
    if (!workstation) name += processorSuffix(v);
    return name;
}

std::string version6Family(const OsVersion& v) {
    const bool workstation = v.productType == kWorkstationProduct;
    static const char* const workstations[] = {"Vista", "7", "8"};
    static const char* const servers[] = {"Server 2008", "Server 2008 R2", "Server 2012"};
    if (v.minor > 2) return numbered(v);
    std::string name = workstation ? workstations[v.minor] : servers[v.minor];
    return name + processorSuffix(v);
}

}  // namespace

std::string osNameFromVersion(const OsVersion& v) {
    std::string text;
    if (v.major == 3 || v.major == 4) {
        text = "NT " + std::to_string(v.major) + std::to_string(v.minor);
    } else if (v.major == 5 && v.minor == 0) {
        text = "2000";
    } else if (v.major == 5 && v.minor == 1) {
        text = "XP";
    } else if (v.major == 5 && v.minor == 2) {
        text = windows2003Family(v);
    } else if (v.major == 6) {
        text = version6Family(v);
    } else {
        text = numbered(v);
    }
    return "Windows " + text;
}

std::string osNameFromProductName(const std::string& productName) {
    std::string name = productName;
    replaceAll(name, "Microsoft ", "");
    // Blank in the suite's sense: every byte whose signed value is at most 32,
    // so control characters and the bytes from 0x80 up become "_" as well.
    for (char& c : name) {
        if (static_cast<signed char>(c) <= ' ') c = '_';
    }
    toLowerCase(name);
    return name;
}

}  // namespace Velmar
