// Monopoly: the suite's lock class, of one of two kinds fixed when it is made.
//
// In-process kind (default constructor): a critical section that serialises the
// threads of this process; enforce waits until the lock is free.
// Named kind (constructor with a name, or setName): a system-wide mutex that
// serialises whole processes. enforce never waits: it takes the lock at once or
// answers false, and retrying is the caller's business. The mutex exists only
// while its holder keeps the handle open, so its existence is the lock; two
// named objects of one name exclude each other even inside one process.
//
// Both kinds are re-entrant for their holder: every enforce that succeeded is
// matched by one relax. Nothing here throws.
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
    bool relaxNamed();
    bool relaxInProcess();

    std::unique_ptr<Platform> platform;
    bool named = false;
    std::string mutexName;
    uint32_t depth = 0;
    std::atomic<uint32_t> ownerThread{0};
    std::atomic<bool> closing{false};
};

}  // namespace Velmar
