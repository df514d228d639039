// Owners for Windows handles: one move-only template, one traits class per kind
// of handle. An early return can never leak a handle.
#pragma once

#include "shared/library/common/WinApi.h"

#include <lm.h>

#include <utility>

namespace Velmar {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept : handle_(Traits::invalid()) {}
    explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    bool valid() const noexcept { return Traits::isValid(handle_); }
    explicit operator bool() const noexcept { return valid(); }

    // For out-parameters of API calls: closes any held handle first.
    Handle* put() noexcept {
        reset();
        return &handle_;
    }

    Handle release() noexcept { return std::exchange(handle_, Traits::invalid()); }

    // Closes the held handle; answers whether closing succeeded (true when none was held).
    bool reset(Handle h = Traits::invalid()) noexcept {
        bool ok = true;
        if (valid()) ok = Traits::close(handle_);
        handle_ = h;
        return ok;
    }

private:
    Handle handle_;
};

// Functions that make kernel handles answer failure as NULL (CreateMutexA,
// OpenProcess) or as INVALID_HANDLE_VALUE (CreateFileA, CreateMailslotA,
// FindFirstFileA): neither is ever closed, whichever kind of handle it is.
inline bool isOpenHandle(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }

// File, mailslot, pipe and similar handles: empty as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool isValid(Handle h) noexcept { return isOpenHandle(h); }
    static bool close(Handle h) noexcept { return ::CloseHandle(h) != 0; }
};

// Mutexes, processes, threads, events: empty as NULL.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return nullptr; }
    static bool isValid(Handle h) noexcept { return isOpenHandle(h); }
    static bool close(Handle h) noexcept { return ::CloseHandle(h) != 0; }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool isValid(Handle h) noexcept { return isOpenHandle(h); }
    static bool close(Handle h) noexcept { return ::FindClose(h) != 0; }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle invalid() noexcept { return nullptr; }
    static bool isValid(Handle h) noexcept { return h != nullptr; }
    static bool close(Handle h) noexcept { return ::RegCloseKey(h) == ERROR_SUCCESS; }
};

// The block of GetEnvironmentStringsA.
struct EnvironmentStringsTraits {
    using Handle = char*;
    static Handle invalid() noexcept { return nullptr; }
    static bool isValid(Handle h) noexcept { return h != nullptr; }
    static bool close(Handle h) noexcept { return ::FreeEnvironmentStringsA(h) != 0; }
};

// Buffers that the network functions (NetWkstaGetInfo) allocate for their answers.
struct NetBufferTraits {
    using Handle = LPBYTE;
    static Handle invalid() noexcept { return nullptr; }
    static bool isValid(Handle h) noexcept { return h != nullptr; }
    static bool close(Handle h) noexcept { return ::NetApiBufferFree(h) == NERR_Success; }
};

using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueHKey = UniqueHandle<RegKeyTraits>;
using UniqueEnvironmentStrings = UniqueHandle<EnvironmentStringsTraits>;
using UniqueNetBuffer = UniqueHandle<NetBufferTraits>;

}  // namespace Velmar
