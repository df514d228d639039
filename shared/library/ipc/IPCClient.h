// IPCClient: sends IPC commands to one named endpoint of the suite (the core
// service reads "Velmar_Core") over a local mailslot, made on the first send
// and kept for the life of the client.
#pragma once

#include <memory>
#include <string>

namespace Velmar {

class MailSlot;

class IPCClient {
public:
    explicit IPCClient(const std::string& endpoint);
    virtual ~IPCClient();

    IPCClient(const IPCClient&) = delete;
    IPCClient& operator=(const IPCClient&) = delete;

    const std::string& endpoint() const { return endpoint_; }

    // Frames one command (see frame) and writes it as one mailslot message.
    // Throws IPCException: IC_MEM when the mailslot object cannot be made, and
    // whatever MailSlot::send throws.
    void send(const std::string& command, const std::string& second, const std::string& body,
              const std::string& payload);

    // The bytes of one message, ESC standing for 0x1B: "Velmar", ESC, command,
    // ESC, second, ESC, body, ESC, then payload and ESC only when the payload
    // is not empty. The terminating zero byte is added by the mailslot write,
    // not here. Pure; never throws beyond std::bad_alloc.
    static std::string frame(const std::string& command, const std::string& second,
                             const std::string& body, const std::string& payload);

private:
    std::string endpoint_;
    std::unique_ptr<MailSlot> channel_;
};

}  // namespace Velmar
