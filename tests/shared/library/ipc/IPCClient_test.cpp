#include "shared/library/ipc/IPCClient.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace {

TEST(IPCClientFrame, FieldsAreSeparatedByEscapeAndThePayloadIsOptional) {
    using namespace std::string_literals;
    const std::string record =
        "Velmar\x1cLOG\x1c"
        "5\x1c"
        "24\x1c";
    EXPECT_EQ(IPCClient::frame("LOGMSG", "", record, ""),
              "Velmar\x1bLOGMSG\x1b\x1bVelmar\x1cLOG\x1c"
              "5\x1c"
              "24\x1c\x1b"s);
    EXPECT_EQ(IPCClient::frame("CMD", "two", "body", "extra"),
              "Velmar\x1b"
              "CMD\x1btwo\x1b"
              "body\x1b"
              "extra\x1b"s);
    EXPECT_EQ(IPCClient::frame("", "", "", ""), "Velmar\x1b\x1b\x1b\x1b"s);
}

}  // namespace
}  // namespace Velmar
