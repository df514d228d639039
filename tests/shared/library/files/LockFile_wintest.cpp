#include "shared/library/files/LockFile.h"

#include "shared/library/time/DateTime.h"
#include "shared/library/common/Exception.h"
#include "shared/library/time/TimeSpan.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/FilePlain.h"
#include "shared/library/common/WinHandle.h"
#include "tests/support/ScratchDirTest.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::ChildProcess;
using testing::claimLeft;
using testing::rawExists;
using testing::readFile;
using testing::testProgramDir;
using testing::writeFile;

FileException raisedBy(FilePlain& file, uint16_t flags) {
    try {
        file.open(flags);
    } catch (const FileException& e) {
        return e;
    }
    ADD_FAILURE() << "open raised nothing";
    return FileException(FileException::FL_NONE);
}

class LockFileTest : public testing::ScratchDirTest {
protected:
    LockFileTest() : ScratchDirTest("stocksweep-locktest") {}
};

TEST_F(LockFileTest, LockObjectsMadeInTheSameSecondHaveTheirOwnTokens) {
    const std::string path = at("same.txt");
    // Retry when the second turns between the two objects.
    for (int attempt = 0; attempt < 5; ++attempt) {
        LockFile first(path);
        LockFile second(path);
        if (first.identity().substr(0, 20) != second.identity().substr(0, 20)) continue;
        EXPECT_EQ(first.identity().size(), 30u);
        EXPECT_NE(first.identity(), second.identity());

        // The second object takes the first one's claim for another owner's.
        ASSERT_TRUE(first.lock(TimeSpan(30), false));
        LockFile third(path);
        EXPECT_TRUE(third.claimed());
        EXPECT_EQ(third.owner(), first.identity());
        EXPECT_EQ(third.expiry().getSeconds(), first.expiry().getSeconds());
        EXPECT_FALSE(third.holdsGuarded());
        EXPECT_FALSE(third.unlock());
        EXPECT_TRUE(rawExists(path + ".lock"));
        EXPECT_TRUE(first.unlock());
        EXPECT_FALSE(rawExists(path + ".lock"));
        return;
    }
    FAIL() << "could not make two lock objects within one second";
}

// Both objects are made before either claims: what they read at construction
// must not decide the claim.
TEST_F(LockFileTest, OfTwoLockObjectsOnlyOneGetsTheClaim) {
    const std::string path = at("contested.txt");
    const std::string lock = path + ".lock";
    const int32_t now = DateTime().getSeconds();
    const std::string stale = DateTime(now - 100).toText() + "\n" + DateTime(now - 70).toText() +
                              "\nsomeone else's token\nmissing\n";
    for (bool staleClaimFirst : {false, true}) {
        SCOPED_TRACE(staleClaimFirst ? "taking over a stale claim" : "no lock file");
        if (staleClaimFirst) writeFile(lock, stale);
        LockFile first(path);
        LockFile second(path);
        EXPECT_TRUE(first.lock(TimeSpan(30), false));
        EXPECT_FALSE(second.lock(TimeSpan(30), false));
        EXPECT_EQ(second.claim(TimeSpan(30), false), LockFile::ClaimResult::kHeldByOther);
        const std::string claim = readFile(lock);
        EXPECT_NE(claim.find("\n" + first.identity() + "\n"), std::string::npos) << claim;
        EXPECT_TRUE(first.unlock());
        EXPECT_FALSE(rawExists(lock));
        EXPECT_TRUE(second.lock(TimeSpan(30), false));
        EXPECT_TRUE(second.unlock());
    }
}

// Several processes update one file, each appending its own numbered lines
// under the lock; each update also checks that the file it starts from is whole.
// They start by racing to take over a stale claim.
TEST_F(LockFileTest, WritersInSeveralProcessesLoseNoUpdate) {
    constexpr int kWriters = 3;
    constexpr int kLines = 20;
    const std::string path = at("shared.log");
    const int32_t now = DateTime().getSeconds();
    writeFile(path + ".lock", DateTime(now - 100).toText() + "\n" + DateTime(now - 70).toText() +
                                  "\na writer that died\noriginal\n");
    std::vector<std::unique_ptr<ChildProcess>> writers;
    for (int w = 1; w <= kWriters; ++w) {
        writers.push_back(std::make_unique<ChildProcess>(
            testProgramDir() + "lock_writer.exe",
            "\"" + path + "\" " + std::to_string(w) + " " + std::to_string(kLines)));
    }
    for (auto& writer : writers) {
        const std::string output = writer->readAll();
        EXPECT_EQ(writer->wait(), 0u) << output;
    }
    std::vector<std::string> expected;
    for (int w = 1; w <= kWriters; ++w) {
        for (int n = 1; n <= kLines; ++n) {
            expected.push_back("writer " + std::to_string(w) + " line " + std::to_string(n));
        }
    }
    std::vector<std::string> found;
    const std::string text = readFile(path);
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        found.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(text.empty() ? '\0' : text.back(), '\n');
    EXPECT_EQ(claimLeft(path), "");
}

TEST_F(LockFileTest, HoldingTheGuardedFileNeverChangesIt) {
    const std::string path = at("held.txt");
    writeFile(path, "content to keep");
    {
        LockFile lock(path);
        EXPECT_TRUE(lock.existedAtStart());
        EXPECT_FALSE(lock.claimed());
        ASSERT_TRUE(lock.lock(TimeSpan(30), true));
        EXPECT_TRUE(lock.holdsGuarded());
        EXPECT_EQ(readFile(path), "content to keep");
        EXPECT_TRUE(lock.lock(TimeSpan(30), true));  // already claimed
        EXPECT_TRUE(lock.unlock());
        EXPECT_TRUE(lock.unlock());  // no longer claimed
    }
    EXPECT_EQ(readFile(path), "content to keep");

    const std::string missing = at("created.txt");
    LockFile lock(missing);
    EXPECT_FALSE(lock.existedAtStart());
    ASSERT_TRUE(lock.lock(TimeSpan(30), true));
    EXPECT_TRUE(rawExists(missing));  // the hold creates it; FilePlain removes it again
    EXPECT_EQ(readFile(missing), "");
}

TEST_F(LockFileTest, DestroyingTheOwnerReleasesItsClaim) {
    const std::string path = at("scoped.txt");
    {
        LockFile lock(path);
        ASSERT_TRUE(lock.lock(TimeSpan(30), false));
        EXPECT_TRUE(rawExists(path + ".lock"));
    }
    EXPECT_FALSE(rawExists(path + ".lock"));
}

TEST_F(LockFileTest, StaleOrUnreadableClaimsAreTakenOverLiveOnesRefused) {
    const std::string path = at("claimed.txt");
    const int32_t now = DateTime().getSeconds();
    const std::string past = DateTime(now - 100).toText();
    const std::string pastExpiry = DateTime(now - 70).toText();
    const std::string future = DateTime(now + 600).toText();
    struct Case {
        std::string lockText;
        bool takenOver;
    };
    const Case cases[] = {
        {past + "\n" + pastExpiry + "\nsomeone else's token\noriginal\n", true},
        {past + "\n" + pastExpiry + "\n", true},
        {"not a lock file at all\n\x01\x02\n", true},
        {"", true},
        {past + "\n" + future + "\nsomeone else's token\nmissing\n", false},
        // A claim written without line feeds' carriage returns removed still reads.
        {past + "\r\n" + future + "\r\nsomeone else's token\r\noriginal\r\n", false},
    };
    for (const Case& c : cases) {
        writeFile(path, "old");
        writeFile(path + ".lock", c.lockText);
        FilePlain file(path);
        if (!c.takenOver) {
            EXPECT_EQ(raisedBy(file, FileBase::Write).code(), FileException::FL_IS_LOCKED);
            EXPECT_EQ(readFile(path + ".lock"), c.lockText);
            EXPECT_FALSE(rawExists(path + ".tmp"));
            EXPECT_TRUE(file.isClosed());
            // Readers are not stopped by a claim.
            FilePlain reader(path);
            reader.open(FileBase::Read);
            std::string text;
            EXPECT_FALSE(reader.readText(text, 10));
            EXPECT_EQ(text, "old");
            reader.close();
            deleteFile(path + ".lock");
            continue;
        }
        ASSERT_NO_THROW(file.open(FileBase::Write)) << c.lockText;
        const std::string claim = readFile(path + ".lock");
        EXPECT_EQ(claim.find("someone else"), std::string::npos);
        EXPECT_NE(claim.find("\noriginal\n"), std::string::npos) << claim;
        file.writeText("new");
        file.close();
        EXPECT_EQ(readFile(path), "new");
        EXPECT_FALSE(rawExists(path + ".lock"));
    }
}

// The holder program runs as a second process and keeps its file open under
// its lock until its standard input is closed.
class HolderProcess {
public:
    HolderProcess(const std::string& path, const std::string& marker)
        : child_(testProgramDir() + "lock_holder.exe", "\"" + path + "\" \"" + marker + "\"") {}

    // Polls for the marker in short waits, at most `limitMs` in all; false when
    // the helper ended first or the time ran out.
    bool waitReady(const std::string& marker, DWORD limitMs) {
        const DWORD begin = ::GetTickCount();
        while (!rawExists(marker)) {
            if (child_.ended(20)) return false;
            if (::GetTickCount() - begin > limitMs) return false;
        }
        return true;
    }

    // Closes the helper's input and waits for its end; its exit code.
    DWORD finish() {
        child_.closeInput();
        return child_.wait(kFinishLimitMs);
    }

private:
    static constexpr DWORD kFinishLimitMs = 60000;
    testing::ChildProcess child_;
};

TEST_F(LockFileTest, AnotherProcessHoldingTheFileKeepsWritersOut) {
    const std::string path = at("shared.txt");
    const std::string marker = at("ready.marker");
    writeFile(path, "before\n");
    HolderProcess holder(path, marker);
    ASSERT_TRUE(holder.waitReady(marker, 30000)) << "helper did not get its lock";

    // While the other process writes its copy, the real file is unchanged and
    // its claim is visible.
    EXPECT_EQ(readFile(path), "before\n");
    EXPECT_TRUE(rawExists(path + ".tmp"));
    LockFile seen(path);
    EXPECT_TRUE(seen.claimed());
    EXPECT_TRUE(seen.holdsGuarded());
    EXPECT_NE(seen.owner(), seen.identity());
    EXPECT_EQ(seen.expiry().getSeconds() - seen.start().getSeconds(), 30);

    FilePlain file(path);
    for (uint16_t flags : {uint16_t(FileBase::Write), uint16_t(FileBase::Write | FileBase::Direct),
                           uint16_t(FileBase::Read | FileBase::Write | FileBase::Append)}) {
        const FileException e = raisedBy(file, flags);
        EXPECT_EQ(e.code(), FileException::FL_IS_LOCKED) << "flags " << flags;
        EXPECT_TRUE(file.isClosed());
    }
    EXPECT_EQ(readFile(path), "before\n");
    EXPECT_TRUE(rawExists(path + ".lock"));

    EXPECT_EQ(holder.finish(), 0u);
    EXPECT_EQ(readFile(path), "held by helper\n");
    EXPECT_EQ(claimLeft(path), "");

    file.open(FileBase::Write | FileBase::Append);
    file.writeText("after");
    file.close();
    EXPECT_EQ(readFile(path), "held by helper\nafter");
}

}  // namespace
}  // namespace Velmar
