#include "shared/library/system/RegistryData.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

TEST(RegistryData, TrailingZerosGoInnerZerosStay) {
    const std::string multi("one\0two\0\0", 9);
    EXPECT_EQ(textFromRegistryData(multi.data(), multi.size()), std::string("one\0two", 7));
    EXPECT_EQ(textFromRegistryData("abc", 3), "abc");
    EXPECT_EQ(textFromRegistryData("\0\0", 2), "");
    EXPECT_EQ(textFromRegistryData("", 0), "");
    const std::string lead("\0x", 2);
    EXPECT_EQ(textFromRegistryData(lead.data(), lead.size()), lead);
}

}  // namespace
}  // namespace Velmar
