#include "shared/library/common/Monopoly.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace Velmar {
namespace {

using testing::ChildProcess;
using testing::runProgram;
using testing::testProgramDir;

// Mutex names are shared by every process of the Wine prefix: make them unique.
std::string uniqueLockName(const std::string& stem) {
    static int counter = 0;
    return "StocksweepTest_" + stem + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
           std::to_string(counter++);
}

// Whether a mutex of that name exists right now.
bool mutexExists(const std::string& name) {
    UniqueKernelHandle handle(::OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()));
    return handle.valid();
}

uint32_t tryInOtherProcess(const std::string& name) {
    return runProgram(testProgramDir() + "monopoly_probe.exe", "try " + name).exitCode;
}

TEST(MonopolyNames, SeparatorsBecomeUnderscores) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:/Velmar/log/a.log", "C:_Velmar_log_a.log"},
        {"C:\\Velmar\\log\\a.log", "C:_Velmar_log_a.log"},
        {"mixed/and\\back", "mixed_and_back"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& c : cases) {
        Monopoly lock(c.first);
        EXPECT_TRUE(lock.isNamed());
        EXPECT_EQ(lock.name(), c.second) << c.first;
    }
}

TEST(MonopolyNames, SlashAndBackslashSpellingsShareOneLock) {
    const std::string stem = uniqueLockName("spelling");
    Monopoly forward(stem + "/dir/file");
    Monopoly backward(stem + "\\dir\\file");
    ASSERT_TRUE(forward.enforce());
    EXPECT_FALSE(backward.enforce());
    EXPECT_TRUE(forward.relax());
    EXPECT_TRUE(backward.enforce());
    EXPECT_TRUE(backward.relax());
}

TEST(MonopolyNames, SetNameRefusedWhileHeldAndKeepsOldName) {
    const std::string first = uniqueLockName("first");
    Monopoly lock(first);
    ASSERT_TRUE(lock.enforce());
    EXPECT_FALSE(lock.setName("other"));
    EXPECT_EQ(lock.name(), first);
    ASSERT_TRUE(lock.relax());
    EXPECT_TRUE(lock.setName("a/b"));
    EXPECT_EQ(lock.name(), "a_b");

    Monopoly inProcess;
    EXPECT_FALSE(inProcess.isNamed());
    ASSERT_TRUE(inProcess.enforce());
    EXPECT_FALSE(inProcess.setName("x"));
    EXPECT_FALSE(inProcess.isNamed());
    EXPECT_TRUE(inProcess.relax());
    EXPECT_TRUE(inProcess.setName("x"));
    EXPECT_TRUE(inProcess.isNamed());
}

TEST(MonopolyNamed, ReentrantMutexExcludesOtherProcessesUntilTheLastRelax) {
    const std::string name = uniqueLockName("reentrant");
    EXPECT_EQ(tryInOtherProcess(name), 0u) << "free at the start";
    Monopoly lock(name);
    EXPECT_FALSE(mutexExists(name));
    ASSERT_TRUE(lock.enforce());
    EXPECT_TRUE(mutexExists(name));
    EXPECT_EQ(tryInOtherProcess(name), 1u);
    ASSERT_TRUE(lock.enforce());
    EXPECT_EQ(lock.levels(), 2u);
    EXPECT_TRUE(lock.relax());
    EXPECT_TRUE(mutexExists(name)) << "released one level too early";
    EXPECT_EQ(tryInOtherProcess(name), 1u);
    EXPECT_TRUE(lock.relax());
    EXPECT_FALSE(mutexExists(name));
    EXPECT_EQ(lock.levels(), 0u);
    EXPECT_EQ(tryInOtherProcess(name), 0u);
}

TEST(MonopolyNamed, RefusesWithoutNameAndNeverBlocks) {
    Monopoly unnamed("");
    EXPECT_FALSE(unnamed.enforce());
    EXPECT_EQ(unnamed.levels(), 0u);

    const std::string name = uniqueLockName("noblock");
    Monopoly holder(name);
    Monopoly second(name);
    ASSERT_TRUE(holder.enforce());
    // Taken by another object: refused at once, with nothing left taken.
    EXPECT_FALSE(second.enforce());
    EXPECT_EQ(second.levels(), 0u);
    EXPECT_TRUE(second.relax());
    EXPECT_TRUE(mutexExists(name)) << "relax of a refused object must not free the holder";
    EXPECT_FALSE(second.enforce());
    EXPECT_TRUE(holder.relax());
    EXPECT_TRUE(second.enforce());
    EXPECT_TRUE(second.relax());
}

TEST(MonopolyNamed, RelaxWithoutHoldingChangesNothing) {
    Monopoly named(uniqueLockName("idle"));
    EXPECT_TRUE(named.relax());
    EXPECT_EQ(named.levels(), 0u);
    EXPECT_TRUE(named.enforce());
    EXPECT_EQ(named.levels(), 1u);
    EXPECT_TRUE(named.relax());

    Monopoly inProcess;
    EXPECT_TRUE(inProcess.relax());
    EXPECT_EQ(inProcess.levels(), 0u);
}

TEST(MonopolyNamed, HeldBySecondProcessUntilItEnds) {
    const std::string name = uniqueLockName("holder");
    Monopoly lock(name);
    {
        ChildProcess holder(testProgramDir() + "monopoly_probe.exe", "hold " + name);
        ASSERT_EQ(holder.readLine(), "held");
        EXPECT_FALSE(lock.enforce());
        EXPECT_EQ(lock.levels(), 0u);
        holder.closeInput();
        // The holder ends without relaxing; its handle closes with it.
        EXPECT_EQ(holder.wait(), 0u);
    }
    EXPECT_TRUE(lock.enforce());
    ChildProcess refused(testProgramDir() + "monopoly_probe.exe", "hold " + name);
    EXPECT_EQ(refused.readLine(), "refused");
    refused.closeInput();
    EXPECT_EQ(refused.wait(), 1u);
    EXPECT_TRUE(lock.relax());
}

TEST(MonopolyNamed, DestroyedHolderFreesTheLock) {
    const std::string name = uniqueLockName("destroyed");
    {
        Monopoly lock(name);
        ASSERT_TRUE(lock.enforce());
        ASSERT_TRUE(lock.enforce());
    }
    EXPECT_FALSE(mutexExists(name));
    EXPECT_EQ(tryInOtherProcess(name), 0u);
}

// The waiting take: bounded, served when the holder goes (also by ending
// without giving the lock back), seen as taken by holders of the existence
// rule, and refused at once where waiting could never end.
TEST(MonopolyNamed, WaitingEnforceIsBoundedAndKeepsTheExistenceRule) {
    const std::string name = uniqueLockName("waiting");
    Monopoly lock(name);
    {
        ChildProcess holder(testProgramDir() + "monopoly_probe.exe", "hold " + name);
        ASSERT_EQ(holder.readLine(), "held");
        EXPECT_FALSE(lock.enforceWithin(200));
        EXPECT_EQ(lock.lastError(), static_cast<uint32_t>(WAIT_TIMEOUT));
        EXPECT_EQ(lock.levels(), 0u);
        // Mutexes are owned by threads: the wait runs here, the release of
        // the holder is started from another thread while it waits.
        auto release = std::async(std::launch::async, [&holder] {
            ::Sleep(300);
            holder.closeInput();
        });
        ASSERT_TRUE(lock.enforceWithin(30000));
        release.get();
        EXPECT_EQ(holder.wait(), 0u);
    }
    EXPECT_EQ(lock.lastError(), 0u);
    EXPECT_EQ(tryInOtherProcess(name), 1u);

    // A wait on the holding thread would be granted at once, so a second
    // object of the name is refused there without waiting.
    Monopoly sameThread(name);
    EXPECT_FALSE(sameThread.enforceWithin(INFINITE));
    EXPECT_EQ(sameThread.lastError(), static_cast<uint32_t>(ERROR_POSSIBLE_DEADLOCK));
    auto otherThread = std::async(std::launch::async, [&name] {
        Monopoly other(name);
        return other.enforceWithin(0);
    });
    EXPECT_FALSE(otherThread.get());

    EXPECT_TRUE(lock.enforceWithin(0));  // re-entrant
    EXPECT_EQ(lock.levels(), 2u);
    EXPECT_TRUE(lock.relax());
    EXPECT_TRUE(lock.relax());
    EXPECT_FALSE(mutexExists(name));
    EXPECT_EQ(tryInOtherProcess(name), 0u);

    // A name that another kind of object holds can never be had.
    const std::string eventName = uniqueLockName("event");
    UniqueKernelHandle event(::CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(event.valid());
    Monopoly taken(eventName);
    EXPECT_FALSE(taken.enforceWithin(INFINITE));
    EXPECT_EQ(taken.lastError(), static_cast<uint32_t>(ERROR_INVALID_HANDLE));
}

TEST(MonopolyInProcess, ReentrantForItsHolder) {
    Monopoly lock;
    ASSERT_TRUE(lock.enforce());
    ASSERT_TRUE(lock.enforce());
    ASSERT_TRUE(lock.enforce());
    EXPECT_EQ(lock.levels(), 3u);
    EXPECT_TRUE(lock.relax());
    EXPECT_TRUE(lock.relax());
    EXPECT_EQ(lock.levels(), 1u);
    EXPECT_TRUE(lock.relax());
    EXPECT_EQ(lock.levels(), 0u);
}

TEST(MonopolyInProcess, ExcludesAnotherThreadUntilRelaxedFully) {
    Monopoly lock;
    ASSERT_TRUE(lock.enforce());
    ASSERT_TRUE(lock.enforce());
    std::atomic<int> levelsGivenBack{0};
    std::atomic<int> seenOnEntry{-1};
    std::promise<void> started;
    std::thread other([&] {
        started.set_value();
        lock.enforce();
        seenOnEntry = levelsGivenBack.load();
        lock.relax();
    });
    started.get_future().wait();
    // A relax from a thread that does not hold the lock gives nothing back.
    std::thread([&] { EXPECT_TRUE(lock.relax()); }).join();
    EXPECT_EQ(lock.levels(), 2u);
    // Room for the other thread to reach the lock; it must still be waiting.
    ::Sleep(20);
    EXPECT_EQ(seenOnEntry, -1);
    levelsGivenBack = 1;
    ASSERT_TRUE(lock.relax());
    ::Sleep(20);
    EXPECT_EQ(seenOnEntry, -1) << "entered while one level was still taken";
    levelsGivenBack = 2;
    ASSERT_TRUE(lock.relax());
    other.join();
    EXPECT_EQ(seenOnEntry, 2);
}

}  // namespace
}  // namespace Velmar
