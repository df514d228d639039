#include "shared/library/common/Monopoly.h"

#include "shared/library/common/win32/WinHandle.h"

#include <utility>

namespace Velmar {

namespace {
constexpr DWORD kCloseGraceMs = 10;
}  // namespace

struct Monopoly::Platform {
    CRITICAL_SECTION criticalSection;
    bool criticalSectionReady = false;
    UniqueKernelHandle mutex;
};

Monopoly::Monopoly() : platform(std::make_unique<Platform>()) {
    ::InitializeCriticalSection(&platform->criticalSection);
    platform->criticalSectionReady = true;
}

Monopoly::Monopoly(const std::string& name) : platform(std::make_unique<Platform>()) {
    setName(name);
}

Monopoly::~Monopoly() {
    if (named) {
        relax();
        // Any levels still taken go with the handle: closing the last handle
        // removes the mutex, and with it the lock.
    }
    if (platform->criticalSectionReady) {
        closing = true;
        ::Sleep(kCloseGraceMs);
        ::DeleteCriticalSection(&platform->criticalSection);
    }
}

bool Monopoly::setName(const std::string& name) {
    if (depth > 0 || platform->mutex) return false;
    std::string cleaned = name;
    for (char& c : cleaned) {
        if (c == '/' || c == '\\') c = '_';
    }
    mutexName = cleaned;
    named = true;
    return true;
}

bool Monopoly::enforce() {
    if (named) return enforceNamed();
    if (closing) return false;
    ::EnterCriticalSection(&platform->criticalSection);
    ++depth;
    ownerThread = ::GetCurrentThreadId();
    return true;
}

bool Monopoly::enforceNamed() {
    ++depth;
    if (depth >= 2) return true;
    if (mutexName.empty() || platform->mutex) {
        --depth;
        return false;
    }
    UniqueKernelHandle created(::CreateMutexA(nullptr, TRUE, mutexName.c_str()));
    const DWORD error = ::GetLastError();
    // With ERROR_ALREADY_EXISTS it is someone else's mutex: we were handed a
    // handle to it, not ownership, and the handle closes on the way out.
    if (!created || error == ERROR_ALREADY_EXISTS) {
        --depth;
        return false;
    }
    platform->mutex = std::move(created);
    return true;
}

bool Monopoly::relax() {
    return named ? relaxNamed() : relaxInProcess();
}

bool Monopoly::relaxNamed() {
    if (depth == 0) return true;
    --depth;
    if (depth > 0) return true;
    if (!::ReleaseMutex(platform->mutex.get())) {
        ++depth;
        return false;
    }
    platform->mutex.reset();
    return true;
}

bool Monopoly::relaxInProcess() {
    // Only the holder gives levels back: leaving a critical section that this
    // thread does not own would corrupt it for the thread that does.
    if (ownerThread != ::GetCurrentThreadId()) return true;
    if (depth == 0) return true;
    --depth;
    if (depth == 0) ownerThread = 0;
    ::LeaveCriticalSection(&platform->criticalSection);
    return true;
}

}  // namespace Velmar
