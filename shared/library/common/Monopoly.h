// Monopoly: the suite's lock class, of one of two kinds fixed when it is made.
//
// In-process kind (default constructor): a critical section that serialises the
// threads of this process; enforce waits until the lock is free.
// Named kind (constructor with a name, or setName): a system-wide mutex that
// serialises whole processes. enforce never waits: it takes the lock at once or
// answers false. The mutex exists only while its holder keeps the handle open,
// so its existence is the lock; two named objects of one name exclude each
// other even inside one process. enforceWithin waits for the mutex itself, so
// that waiters are served in the order they came instead of racing each other
// with retries; it honours the existence rule of enforce in both directions.
//
// Both kinds are re-entrant for their holder: every enforce that succeeded is
// matched by one relax. MonopolyGuard holds one level for a scope. Nothing here
// throws.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace Velmar {

class Monopoly {
public:
    // The in-process kind.
    Monopoly();
    // The named kind; the name goes through setName.
    explicit Monopoly(const std::string& name);
    // Named kind: gives back one level, and the mutex handle is closed with the
    // object, so a destroyed holder never keeps the system-wide lock. In-process
    // kind: marks the object closing, waits 10 ms and deletes the critical section.
    virtual ~Monopoly();

    Monopoly(const Monopoly&) = delete;
    Monopoly& operator=(const Monopoly&) = delete;

    // Refused (false) while the lock is held or a mutex handle exists; otherwise
    // stores the name with every "/" and "\" replaced by "_" and makes the
    // object the named kind.
    bool setName(const std::string& name);

    // Takes the lock (or one more level of it). In-process kind: waits, then
    // true; false only once the object is being destroyed. Named kind: false when
    // the name is empty, the mutex cannot be made, or another holder has it.
    bool enforce();

    // Named kind: as enforce, but waits up to `waitMs` for the holder to give
    // the lock back. False when the name is empty, the mutex cannot be opened
    // (the name belongs to another kind of object), another object of this
    // process holds it on this thread (waiting would never end), or the time
    // runs out; lastError() then tells which (WAIT_TIMEOUT, 258, for the last).
    // A mutex left by a holder that ended without giving it back is taken.
    // In-process kind: as enforce (it waits anyway).
    bool enforceWithin(uint32_t waitMs);

    // The Windows error of the last refused enforceWithin; 0 after one that
    // succeeded.
    uint32_t lastError() const { return lastError_; }

    // Gives back one level. True when there is nothing to give back (also for a
    // thread that does not hold an in-process lock); false only when the mutex
    // cannot be released, in which case the level stays taken.
    bool relax();

    bool isNamed() const { return named; }
    const std::string& name() const { return mutexName; }
    // Levels taken and not yet given back.
    uint32_t levels() const { return depth; }

private:
    struct Platform;  // the critical section and the mutex handle

    bool enforceNamed();
    bool enforceNamedWithin(uint32_t waitMs);
    bool relaxNamed();
    // The mutex handle is now this object's; every named lock this process
    // holds is noted, so that a wait never grants a lock held on the same thread
    // by another object a second time (mutex ownership is per thread).
    void noteHeld();
    void forgetHeld();
    bool relaxInProcess();

    std::unique_ptr<Platform> platform;
    bool named = false;
    std::string mutexName;
    uint32_t depth = 0;
    uint32_t lastError_ = 0;
    std::atomic<uint32_t> ownerThread{0};
    std::atomic<bool> closing{false};
};

// Holds one level of a Monopoly for a scope: taken by the constructor, given
// back by the destructor when it was taken, on every path.
class MonopolyGuard {
public:
    // enforce: waits for the in-process kind, tries once for the named kind.
    explicit MonopolyGuard(Monopoly& lock) : lock_(lock), held_(lock.enforce()) {}
    // enforceWithin(waitMs).
    MonopolyGuard(Monopoly& lock, uint32_t waitMs)
        : lock_(lock), held_(lock.enforceWithin(waitMs)) {}
    ~MonopolyGuard() {
        if (held_) lock_.relax();
    }
    MonopolyGuard(const MonopolyGuard&) = delete;
    MonopolyGuard& operator=(const MonopolyGuard&) = delete;

    bool held() const { return held_; }

private:
    Monopoly& lock_;
    const bool held_;
};

}  // namespace Velmar
