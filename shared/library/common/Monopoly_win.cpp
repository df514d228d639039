#include "shared/library/common/Monopoly.h"

#include "shared/library/common/WinHandle.h"

#include <map>
#include <new>
#include <utility>

namespace Velmar {

namespace {

constexpr DWORD kCloseGraceMs = 10;

// The named locks that objects of this process hold, by mutex name, with the
// thread that took each (a name is held at most once: the mutex excludes).
struct HeldNames {
    SRWLOCK guard = SRWLOCK_INIT;
    std::map<std::string, DWORD> threads;
};

HeldNames& heldNames() {
    static HeldNames* names = new HeldNames();  // outlives every static Monopoly
    return *names;
}

class HeldNamesAccess {
public:
    HeldNamesAccess() : names_(heldNames()) { ::AcquireSRWLockExclusive(&names_.guard); }
    ~HeldNamesAccess() { ::ReleaseSRWLockExclusive(&names_.guard); }
    HeldNamesAccess(const HeldNamesAccess&) = delete;
    HeldNamesAccess& operator=(const HeldNamesAccess&) = delete;
    std::map<std::string, DWORD>& threads() { return names_.threads; }

private:
    HeldNames& names_;
};

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
        if (platform->mutex) forgetHeld();
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
    noteHeld();
    return true;
}

bool Monopoly::enforceWithin(uint32_t waitMs) {
    if (!named) return enforce();
    return enforceNamedWithin(waitMs);
}

bool Monopoly::enforceNamedWithin(uint32_t waitMs) {
    lastError_ = 0;
    if (depth > 0) {
        ++depth;
        return true;
    }
    if (mutexName.empty() || platform->mutex) {
        lastError_ = ERROR_INVALID_NAME;
        return false;
    }
    {
        HeldNamesAccess names;
        const auto held = names.threads().find(mutexName);
        if (held != names.threads().end() && held->second == ::GetCurrentThreadId()) {
            lastError_ = ERROR_POSSIBLE_DEADLOCK;
            return false;
        }
    }
    // Not initially owned: for a mutex that exists that flag would be ignored,
    // and ownership comes from the wait in every case. Holders that use the
    // existence rule see this handle's mutex as taken, which it is from the
    // wait on until the handle closes.
    UniqueKernelHandle opened(::CreateMutexA(nullptr, FALSE, mutexName.c_str()));
    if (!opened) {
        lastError_ = ::GetLastError();
        return false;
    }
    const DWORD result = ::WaitForSingleObject(opened.get(), waitMs);
    if (result == WAIT_FAILED) {
        lastError_ = ::GetLastError();
        return false;
    }
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
        lastError_ = WAIT_TIMEOUT;
        return false;
    }
    depth = 1;
    platform->mutex = std::move(opened);
    noteHeld();
    return true;
}

void Monopoly::noteHeld() {
    HeldNamesAccess names;
    try {
        names.threads()[mutexName] = ::GetCurrentThreadId();
    } catch (const std::bad_alloc&) {
        // Unnoted, a second object of the name on this thread is granted the
        // lock by its wait instead of refused; the lock itself is held.
    }
}

void Monopoly::forgetHeld() {
    HeldNamesAccess names;
    names.threads().erase(mutexName);
}

bool Monopoly::relax() { return named ? relaxNamed() : relaxInProcess(); }

bool Monopoly::relaxNamed() {
    if (depth == 0) return true;
    --depth;
    if (depth > 0) return true;
    // Forgotten first: a waiter of another thread may take the mutex the
    // moment it is released, and note it as its own.
    forgetHeld();
    if (!::ReleaseMutex(platform->mutex.get())) {
        noteHeld();
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
