// The portable part of IPCClient: the message frame. The sending half, which
// needs the mailslot, lives in IPCClient_win.cpp.
#include "shared/library/ipc/IPCClient.h"

namespace Velmar {

namespace {
constexpr char kProductMark[] = "Velmar";
constexpr char kFieldSeparator = '\x1b';
}  // namespace

std::string IPCClient::frame(const std::string& command, const std::string& second,
                             const std::string& body, const std::string& payload) {
    std::string message;
    message.reserve(sizeof(kProductMark) + command.size() + second.size() + body.size() +
                    payload.size() + 5);
    message += kProductMark;
    message += kFieldSeparator;
    message += command;
    message += kFieldSeparator;
    message += second;
    message += kFieldSeparator;
    message += body;
    message += kFieldSeparator;
    if (!payload.empty()) {
        message += payload;
        message += kFieldSeparator;
    }
    return message;
}

}  // namespace Velmar
