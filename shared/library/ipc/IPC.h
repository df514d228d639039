// IPC: the base of the suite's inter-process channels. A channel is made for
// one role and keeps it for its life.
#pragma once

#include <cstdint>

namespace Velmar {

class IPC {
public:
    enum Role : int32_t {
        kReceive = 0,     // reads the channel (not used by this program)
        kSendLocal = 1,   // writes to the endpoint on this computer
        kSendDomain = 2,  // writes to the endpoint of that name on every computer of the domain
    };

    explicit IPC(int32_t role) : role_(role) {}
    virtual ~IPC();

    IPC(const IPC&) = delete;
    IPC& operator=(const IPC&) = delete;

    int32_t role() const { return role_; }

private:
    int32_t role_;
};

}  // namespace Velmar
