// MailSlot: the sending end of a Windows mailslot, a one-way datagram channel
// whose reader is another program (the suite's core service). The path is
// opened on the first send and kept; a failed write closes it, so the next send
// opens it again. Every send of every process on the computer is serialised
// by the system-wide lock "Velmar_MailSlot", waited for at most
// kSendLockWaitMs: a lock that cannot be had costs the message, never the run.
#pragma once

#include "shared/library/ipc/IPC.h"
#include "shared/library/common/Monopoly.h"
#include "shared/library/common/WinHandle.h"

#include <string>

namespace Velmar {

class MailSlot : public IPC {
public:
    // Name of the lock shared by all senders on the computer.
    static constexpr const char* kSendLockName = "Velmar_MailSlot";
    // How long a send waits for that lock, in milliseconds.
    static constexpr uint32_t kSendLockWaitMs = 2000;

    // `name` is the endpoint: the mailslot "\\.\mailslot\<name>" for
    // kSendLocal, "\\*\mailslot\<name>" for kSendDomain. Nothing is opened
    // yet. `lockName` is the send lock's name (another only for tests).
    MailSlot(int32_t role, const std::string& name, const std::string& lockName = kSendLockName);
    ~MailSlot() override;

    // Writes the text and its terminating zero byte as one message. Throws
    // IPCException: IC_NOT_SENDER for the receiving role; IC_MEM or
    // IC_CANNOT_CREATE_COMM ("Error code <n>") when the security descriptor
    // cannot be made; IC_CANNOT_SEND with the system's message when the path
    // cannot be opened, or with "Error <n>" (plus " - No network" for 1231)
    // when the write fails or the send lock cannot be had within
    // kSendLockWaitMs (258 when the wait ran out; the message is not sent and
    // the handle stays open).
    virtual void send(const std::string& text);

    const std::string& name() const { return name_; }
    bool isOpen() const { return handle_.valid(); }

    // The path opened for a role and a name.
    static std::string pathFor(int32_t role, const std::string& name);

private:
    void openPath();

    UniqueFileHandle handle_;
    std::string name_;
    Monopoly sendLock_;
};

}  // namespace Velmar
