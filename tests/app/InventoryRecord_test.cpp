#include "app/InventoryRecord.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(InventoryRecord, RecordBytes) {
    const HostIdentity host{"WORK:GROUP", "host\r\nname", "amd64", "windows_10:pro\n"};
    const CandidateRecord tool{"c:\\tools\\a.exe", "Tool"};
    EXPECT_EQ(formatInventoryRecord(1700006400, host, tool),
              "86400:1700006400:33:0:WORK_GROUP:0:host__name:0:amd64:0:windows_10_pro_"
              ":0:Tool:0:a.exe:0:c_\\tools\\: : : : : : \r\n1\r\n");
    const CandidateRecord bare{"odd\rname:.exe", "A:\nB"};
    EXPECT_EQ(formatInventoryRecord(0, HostIdentity(), bare),
              "86400:0:33:0::0::0::0::0:A__B:0:odd_name_.exe:0:: : : : : : \r\n1\r\n");
    EXPECT_EQ(inventoryFileName(1765200000), "inventory-1765200000.data");
}

}  // namespace
}  // namespace Velmar
