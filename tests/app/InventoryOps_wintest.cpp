#include "app/InventoryOps.h"

#include "shared/library/system/SystemInfo.h"
#include "shared/library/common/WinApi.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

std::string computerName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof(name);
    return ::GetComputerNameA(name, &size) ? std::string(name, size) : std::string();
}

struct Identity {
    std::string domain = "unset";
    std::string host = "unset";
    std::string architecture = "unset";
    std::string os = "unset";
};

Identity hostIdentity() {
    Identity id;
    getHostIdentity(id.domain, id.host, id.architecture, id.os);
    return id;
}

// What the fake platform calls saw and answered.
namespace Fakes {
bool versionRead;
OsVersion version;
uint32_t seenArchitecture;
uint32_t exitCode;
}  // namespace Fakes

class HostIdentity : public ::testing::Test {
protected:
    void SetUp() override {
        ::SetEnvironmentVariableA("velmar_hostname", nullptr);
        Fakes::versionRead = true;
        Fakes::version = OsVersion();
        Fakes::seenArchitecture = 0;
        Fakes::exitCode = 0;
    }
    void TearDown() override {
        setHostIdentityHooks(HostIdentityHooks());
        ::SetEnvironmentVariableA("velmar_hostname", nullptr);
        selectHive("HKEY_LOCAL_MACHINE");
    }
    static void useVersionHooks() {
        HostIdentityHooks hooks;
        hooks.productName = [] { return std::string(); };
        hooks.versionInfo = [](OsVersion& v) {
            Fakes::seenArchitecture = v.processorArchitecture;
            if (!Fakes::versionRead) return false;
            const uint32_t architecture = v.processorArchitecture;
            v = Fakes::version;
            v.processorArchitecture = architecture;
            return true;
        };
        hooks.exitProcess = [](uint32_t code) { Fakes::exitCode = code; };
        setHostIdentityHooks(hooks);
    }
};

TEST_F(HostIdentity, WhatWineReports) {
    ASSERT_TRUE(selectHive("HKEY_CURRENT_USER"));
    const std::string product = getOsProductName();
    // The prefix is a Windows 7 one: "Microsoft Windows 7" in the registry.
    EXPECT_EQ(product, "windows_7");
    EXPECT_EQ(currentHive(), "HKEY_LOCAL_MACHINE");

    const Identity id = hostIdentity();
    // Native information: a 32-bit build on 64-bit Windows still says amd64.
    EXPECT_EQ(id.architecture, "amd64");
    EXPECT_EQ(id.os, "windows_7");
    const std::string computer = computerName();
    ASSERT_FALSE(computer.empty());
    EXPECT_EQ(id.host, computer);
    // No DNS domain under Wine; its workstation answers the computer name as workgroup.
    EXPECT_EQ(id.domain, computer);
}

TEST_F(HostIdentity, HostNameFromTheEnvironmentOverridesTheComputerName) {
    ::SetEnvironmentVariableA("velmar_hostname", "inventory-host");
    const Identity id = hostIdentity();
    EXPECT_EQ(id.host, "inventory-host");
    // The domain is still the workgroup, not the overriding name.
    EXPECT_EQ(id.domain, computerName());
}

TEST_F(HostIdentity, OsNameFromVersionWhenTheRegistryHasNone) {
    useVersionHooks();
    Fakes::version = OsVersion{6, 1, kWorkstationProduct};
    EXPECT_EQ(hostIdentity().os, "Windows 7 x64");
    EXPECT_EQ(Fakes::seenArchitecture, kArchAmd64);

    Fakes::version = OsVersion{5, 2, 3, 0, kNtPlatform, true};
    EXPECT_EQ(hostIdentity().os, "Windows Server 2003 R2 x64");

    Fakes::versionRead = false;
    EXPECT_EQ(hostIdentity().os, "");
    EXPECT_EQ(Fakes::exitCode, 0u);
}

TEST_F(HostIdentity, NonNtPlatformEndsTheProcessWith1005) {
    useVersionHooks();
    Fakes::version = OsVersion{4, 10, 0, 0, 1};
    const Identity id = hostIdentity();
    EXPECT_EQ(Fakes::exitCode, kExitNotNtPlatform);
    EXPECT_EQ(Fakes::exitCode, 1005u);
    EXPECT_EQ(id.os, "");

    // With a product name from the registry the version is never asked for.
    HostIdentityHooks named;
    named.productName = [] { return std::string("windows_98"); };
    named.versionInfo = [](OsVersion&) {
        Fakes::exitCode = 1;
        return false;
    };
    named.exitProcess = [](uint32_t code) { Fakes::exitCode = code; };
    setHostIdentityHooks(named);
    Fakes::exitCode = 0;
    EXPECT_EQ(hostIdentity().os, "windows_98");
    EXPECT_EQ(Fakes::exitCode, 0u);
}

}  // namespace
}  // namespace Velmar
