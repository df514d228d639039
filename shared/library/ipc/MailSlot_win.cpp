#include "shared/library/ipc/MailSlot.h"

#include "shared/library/common/Exception.h"

#include <memory>

namespace Velmar {

namespace {

constexpr DWORD kNetworkUnreachable = 1231;  // ERROR_NETWORK_UNREACHABLE

struct LocalFreeDeleter {
    void operator()(void* p) const { ::LocalFree(p); }
};
using LocalBuffer = std::unique_ptr<void, LocalFreeDeleter>;

// The system's message for an error code, without the line end (and any other
// trailing control bytes) that the system puts after it.
std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<char*>(&text), 0, nullptr);
    const LocalBuffer owner(text);
    if (length == 0 || text == nullptr) return std::string();
    std::string message(text, length);
    while (!message.empty() && static_cast<unsigned char>(message.back()) < ' ') {
        message.pop_back();
    }
    return message;
}

std::string errorCodeText(DWORD code) { return "Error code " + std::to_string(code); }

}  // namespace

MailSlot::MailSlot(int32_t role, const std::string& name, const std::string& lockName)
    : IPC(role), name_(name), sendLock_(lockName) {}

MailSlot::~MailSlot() = default;

std::string MailSlot::pathFor(int32_t role, const std::string& name) {
    return (role == kSendDomain ? "\\\\*\\mailslot\\" : "\\\\.\\mailslot\\") + name;
}

void MailSlot::openPath() {
    // A null access list lets every account write through the handle.
    LocalBuffer descriptor(::LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
    if (!descriptor) {
        const DWORD error = ::GetLastError();
        VELMAR_THROW(IPCException, IPCException::IC_MEM, errorCodeText(error));
    }
    if (!::InitializeSecurityDescriptor(descriptor.get(), SECURITY_DESCRIPTOR_REVISION)) {
        const DWORD error = ::GetLastError();
        VELMAR_THROW(IPCException, IPCException::IC_CANNOT_CREATE_COMM, errorCodeText(error));
    }
    if (!::SetSecurityDescriptorDacl(descriptor.get(), TRUE, nullptr, FALSE)) {
        const DWORD error = ::GetLastError();
        VELMAR_THROW(IPCException, IPCException::IC_CANNOT_CREATE_COMM, errorCodeText(error));
    }
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = descriptor.get();
    attributes.bInheritHandle = FALSE;

    UniqueFileHandle opened(::CreateFileA(pathFor(role(), name_).c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, &attributes,
                                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const DWORD error = ::GetLastError();
    if (!opened) VELMAR_THROW(IPCException, IPCException::IC_CANNOT_SEND, systemMessage(error));
    handle_ = std::move(opened);
}

void MailSlot::send(const std::string& text) {
    if (role() == kReceive) VELMAR_THROW(IPCException, IPCException::IC_NOT_SENDER, "");
    if (!handle_) openPath();

    const MonopolyGuard lock(sendLock_, kSendLockWaitMs);
    if (!lock.held()) {
        VELMAR_THROW(IPCException, IPCException::IC_CANNOT_SEND,
                     "Error " + std::to_string(sendLock_.lastError()));
    }
    const DWORD length = static_cast<DWORD>(text.size() + 1);  // with the zero byte
    DWORD written = 0;
    const BOOL ok = ::WriteFile(handle_.get(), text.c_str(), length, &written, nullptr);
    const DWORD error = ::GetLastError();
    if (!ok) {
        std::string message = "Error " + std::to_string(error);
        if (error == kNetworkUnreachable) message += " - No network";
        handle_.reset();
        VELMAR_THROW(IPCException, IPCException::IC_CANNOT_SEND, message);
    }
}

}  // namespace Velmar
