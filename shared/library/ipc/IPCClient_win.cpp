// The sending half of IPCClient: the mailslot it writes through.
#include "shared/library/ipc/IPCClient.h"

#include "shared/library/common/Exception.h"
#include "shared/library/ipc/MailSlot.h"

#include <memory>
#include <new>

namespace Velmar {

IPCClient::IPCClient(const std::string& endpoint) : endpoint_(endpoint) {}

IPCClient::~IPCClient() = default;

void IPCClient::send(const std::string& command, const std::string& second, const std::string& body,
                     const std::string& payload) {
    const std::string message = frame(command, second, body, payload);
    if (!channel_) {
        try {
            channel_ = std::make_unique<MailSlot>(IPC::kSendLocal, endpoint_);
        } catch (const std::bad_alloc&) {
            VELMAR_THROW(IPCException, IPCException::IC_MEM, "");
        }
    }
    channel_->send(message);
}

}  // namespace Velmar
