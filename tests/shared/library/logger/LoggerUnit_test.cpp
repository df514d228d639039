#include "shared/library/logger/LoggerUnit.h"

#include "shared/library/common/Exception.h"
#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LoggerCentre.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

// Every allocation of the test program is counted, so that a test can show
// that a code path allocates nothing.
namespace {
std::atomic<size_t> allocationCount{0};

// Out of line, so that the compiler does not pair the malloc of one operator
// with the free of another.
[[gnu::noinline]] void* countedAllocation(size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}
[[gnu::noinline]] void countedRelease(void* p) noexcept { std::free(p); }
}  // namespace

void* operator new(size_t size) { return countedAllocation(size); }
void* operator new[](size_t size) { return countedAllocation(size); }
void operator delete(void* p) noexcept { countedRelease(p); }
void operator delete[](void* p) noexcept { countedRelease(p); }
void operator delete(void* p, size_t) noexcept { countedRelease(p); }
void operator delete[](void* p, size_t) noexcept { countedRelease(p); }

namespace Velmar {
namespace {

using testing::CapturingAgent;

// A unit of module 24 over a centre of application 5 whose messenger keeps the lines.
class Unit : public testing::PinnedLogSettings {
protected:
    void SetUp() override {
        PinnedLogSettings::SetUp();
        agent = std::make_shared<CapturingAgent>();
        centre = std::make_shared<LoggerCentre>(5, std::make_shared<LogMessenger>(agent));
    }

    std::shared_ptr<CapturingAgent> agent;
    SmartPointer<LoggerCentre> centre;
};

const char kPrefix[] = " 2025-07-01T11:08:07 (5.24";

TEST_F(Unit, DebugMessagesAtOrBelowTheLevelInAllForms) {
    setDebugLevel(2);
    {
        LoggerUnit unit(centre, 24);
        EXPECT_TRUE(unit.debug(1, "plain"));
        EXPECT_TRUE(unit.debug(3, "dropped"));
        EXPECT_TRUE(unit.debug(2, std::string("path\x1A"
                                              "with\x1B"
                                              "all\x1C"
                                              "three")));
        EXPECT_TRUE(unit.debug(2, "Loaded %i messages for module \"%s\".", 3, "stocksweep"));
        EXPECT_TRUE(unit.debug(2, "Swapped %i", ParamStream() << "text"));
        EXPECT_TRUE(unit.debug(3, "dropped %s", "x"));
    }
    const std::string id = std::string(kPrefix) + ")    4242: ";
    const std::vector<std::string> expected = {
        "debug-1 " + id + "LoggerUnit: Created logger for the Stocksweep module.",
        "debug-1 " + id + "plain",
        "debug-2 " + id + "path with all three",
        "debug-2 " + id + "Loaded 3 messages for module \"stocksweep\".",
        "debug-2 " + id + "Swapped \\text\\",
        "debug-1 " + id + "LoggerUnit: Destroyed logger for the Stocksweep module.",
    };
    EXPECT_EQ(agent->lines, expected);

    agent->lines.clear();
    setDebugLevel(0);
    setDebugLevel(6);  // out of range: unchanged
    LoggerUnit(centre, 1).debug(1, "dropped");
    EXPECT_TRUE(agent->lines.empty());
    setDebugLevel(5);  // the finest level is in range
    EXPECT_EQ(debugLevel(), 5);
}

TEST_F(Unit, CatalogueMessagesAtOrAboveTheThreshold) {
    setDebugLevel(0);
    LoggerUnit unit(centre, 24);
    setSeverityThreshold(2);
    setSeverityThreshold(-1);  // out of range: unchanged
    EXPECT_TRUE(unit.notice(1));
    EXPECT_TRUE(unit.warning(2));
    EXPECT_TRUE(unit.warning(2, ParamStream() << "w"));
    EXPECT_TRUE(unit.error(3));
    EXPECT_TRUE(unit.error(4, ParamStream() << "disk" << 90));
    EXPECT_TRUE(unit.critical(5, ParamStream() << "x\x1A"
                                                  "y\x1B"
                                                  "z\x1C"));
    EXPECT_TRUE(unit.fatal(6));
    EXPECT_TRUE(unit.fatal(7, ParamStream()));
    const std::string tail = ") 4242: (Message not found.)";
    const std::vector<std::string> expected = {
        "ERROR   " + std::string(kPrefix) + ".03" + tail,
        "ERROR   " + std::string(kPrefix) + ".04" + tail + " Parameters: disk  90  ",
        "CRITICAL" + std::string(kPrefix) + ".05" + tail + " Parameters: x y z   ",
        "FATAL   " + std::string(kPrefix) + ".06" + tail,
        "FATAL   " + std::string(kPrefix) + ".07" + tail,
    };
    EXPECT_EQ(agent->lines, expected);

    agent->lines.clear();
    setSeverityThreshold(5);
    EXPECT_TRUE(unit.fatal(6));
    EXPECT_TRUE(agent->lines.empty());
}

TEST_F(Unit, WithoutCentreOnlyFilteredCallsSucceed) {
    LoggerUnit unit(nullptr, 24);
    setSeverityThreshold(1);
    setDebugLevel(1);
    EXPECT_FALSE(unit.debug(1, "x"));
    EXPECT_TRUE(unit.debug(2, "x"));
    EXPECT_FALSE(unit.error(1));
    EXPECT_TRUE(unit.notice(1));
    EXPECT_FALSE(LoggerCentre(5, nullptr).send(*std::make_unique<LogRecord>()));
}

TEST_F(Unit, FailuresBelowReachOnlyDebugCallers) {
    agent->result = false;
    LoggerUnit unit(centre, 24);
    EXPECT_FALSE(unit.debug(1, "x"));
    EXPECT_FALSE(unit.notice(1));

    agent->beforeWrite = [](const std::string&) { throw FileException(FileException::FL_WRITE); };
    EXPECT_THROW(unit.debug(1, "x"), FileException);
    EXPECT_FALSE(unit.warning(1, ParamStream() << "p"));
    EXPECT_FALSE(unit.fatal(1));
    { LoggerUnit swallowsBoth(centre, 1); }
    agent->beforeWrite = [](const std::string&) { throw 42; };
    EXPECT_FALSE(unit.error(1));
    EXPECT_THROW(unit.debug(1, "x"), int);
    agent->beforeWrite = nullptr;
}

TEST_F(Unit, FilteredOutDebugCallsAllocateNothing) {
    LoggerUnit unit(centre, 24);
    setDebugLevel(1);
    const std::string text = "a text long enough to need the heap when copied";
    const size_t before = allocationCount.load();
    for (int i = 0; i < 100; ++i) {
        unit.debug(2, "literal text that is long enough to need the heap");
        unit.debug(3, text);
        unit.debug(4, "Loaded %i messages for module \"%s\" from %s.", i, text, "a long path");
    }
    EXPECT_EQ(allocationCount.load(), before);
    unit.debug(1, text);  // the counter does count
    EXPECT_GT(allocationCount.load(), before);
}

}  // namespace
}  // namespace Velmar
