#include "shared/library/files/FilePlain.h"

#include "shared/library/time/DateTime.h"
#include "shared/library/common/Exception.h"
#include "shared/library/time/TimeSpan.h"
#include "shared/library/files/LockFile.h"
#include "shared/library/files/LockRecord.h"
#include "shared/library/common/WinHandle.h"
#include "tests/support/ScratchDirTest.h"
#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::claimLeft;
using testing::rawExists;
using testing::readFile;
using testing::writeFile;

// Each test works in a scratch directory of its own, without waiting for locks.
class FilePlainTest : public testing::ScratchDirTest {
protected:
    FilePlainTest() : ScratchDirTest("stocksweep-filetest") {}
    void SetUp() override {
        ScratchDirTest::SetUp();
        FileBase::setDefaultLockTimeout(TimeSpan(0));
    }
    void TearDown() override {
        FileBase::setDefaultLockTimeout(TimeSpan(0));
        ScratchDirTest::TearDown();
    }
};

// Runs `action` and returns the FileException it raised; fails the test when none came.
FileException raised(const std::function<void()>& action) {
    try {
        action();
    } catch (const FileException& e) {
        return e;
    }
    ADD_FAILURE() << "no FileException raised";
    return FileException(FileException::FL_NONE);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(FilePlainTest, OpenRefusesBadFlagsAndMissingFilesWithTheirCodes) {
    const std::string missing = at("missing.txt");
    struct Case {
        uint16_t flags;
        uint32_t code;
        std::string detail;
    };
    const Case cases[] = {
        // Refused flag combinations come before any look at the file system,
        // so a missing file still gives 8.
        {FileBase::Read | FileBase::Append, FileException::FL_ACCESS_COMB, ""},
        {FileBase::Read | FileBase::Truncate, FileException::FL_ACCESS_COMB, ""},
        {FileBase::Read | 0x08, FileException::FL_ACCESS_COMB, ""},
        {FileBase::Write | FileBase::Truncate | FileBase::Append, FileException::FL_ACCESS_COMB,
         ""},
        {FileBase::Read | FileBase::Write | FileBase::Truncate | FileBase::Append,
         FileException::FL_ACCESS_COMB, ""},
        {FileBase::Append, FileException::FL_ACCESS_COMB, ""},
        {0, FileException::FL_ACCESS_COMB, ""},
        {FileBase::Read, FileException::FL_EXISTS_NOT, missing + "-->File does not exist."},
        {FileBase::Read | FileBase::Direct, FileException::FL_EXISTS_NOT,
         missing + "-->File does not exist."},
        // "r+b" on a copy that was never made.
        {FileBase::Read | FileBase::Write, FileException::FL_CANNOT_OPEN, missing + " (#4)"},
        {FileBase::Read | FileBase::Write | FileBase::NoLock, FileException::FL_CANNOT_OPEN,
         missing + " (#4)"},
    };
    for (const Case& c : cases) {
        FilePlain file(missing);
        const FileException e = raised([&] { file.open(c.flags); });
        EXPECT_EQ(e.code(), c.code) << "flags " << c.flags;
        EXPECT_EQ(e.message(), c.detail) << "flags " << c.flags;
        EXPECT_FALSE(e.trace().empty());
        EXPECT_TRUE(file.isClosed());
        // Nothing is left behind: the hold of the lock created the real file,
        // and a failed open removes it again.
        for (const char* suffix : {"", ".lock", ".tmp"}) {
            EXPECT_FALSE(rawExists(missing + suffix)) << "flags " << c.flags << " " << suffix;
        }
    }

    // No lock file can be made in a missing directory: 17 names it with the system's error.
    const std::string nowhere = at("no-such-dir\\file.txt");
    FilePlain unlockable(nowhere);
    const FileException e = raised([&] { unlockable.open(FileBase::Write); });
    EXPECT_EQ(e.code(), FileException::FL_CANNOT_LOCK);
    EXPECT_EQ(e.message(), nowhere + ".lock (#3)");

    const std::string present = at("present.txt");
    writeFile(present, "x");
    FilePlain file(present);
    file.open(FileBase::Read);
    EXPECT_EQ(raised([&] { file.open(FileBase::Read); }).code(), FileException::FL_IS_OPEN);
    file.close();
    file.close();  // closing a closed file does nothing
}

TEST_F(FilePlainTest, WriteLeavesNeitherCopyNorLockFileAfterClose) {
    struct Case {
        const char* name;
        const char* before;  // nullptr: the file does not exist
        uint16_t flags;
        const char* after;
    };
    const Case cases[] = {
        {"new.txt", nullptr, FileBase::Write, "line\ntext"},
        {"old.txt", "old content that is longer", FileBase::Write, "line\ntext"},
        {"direct.txt", "old", FileBase::Write | FileBase::Direct, "line\ntext"},
        {"nolock.txt", "old", FileBase::Write | FileBase::NoLock, "line\ntext"},
        {"append.txt", "old\n", FileBase::Write | FileBase::Append, "old\nline\ntext"},
        {"rwappend.txt", "old\n", FileBase::Read | FileBase::Write | FileBase::Append,
         "old\nline\ntext"},
        {"rw.txt", "0123456789abc", FileBase::Read | FileBase::Write, "line\ntext9abc"},
        {"rwtrunc.txt", "0123456789abc", FileBase::Read | FileBase::Write | FileBase::Truncate,
         "line\ntext"},
    };
    for (const Case& c : cases) {
        const std::string path = at(c.name);
        if (c.before != nullptr) writeFile(path, c.before);
        FilePlain file(path);
        file.open(c.flags);
        EXPECT_FALSE(file.isClosed());
        EXPECT_EQ(file.openFlags(), c.flags);
        file.writeLine("line");
        EXPECT_TRUE(file.writeText("text"));
        file.close();
        EXPECT_TRUE(file.isClosed());
        EXPECT_EQ(file.openFlags(), 0);
        EXPECT_EQ(file.tell(), 0);
        EXPECT_EQ(readFile(path), c.after) << c.name;
        EXPECT_EQ(claimLeft(path), "") << c.name;
    }
}

TEST_F(FilePlainTest, AppendStartsAtTheEndOfACopyOfTheOldContent) {
    const std::string path = at("log.txt");
    writeFile(path, "first\n");
    // A copy left over by an earlier run is replaced by the real file's content.
    writeFile(path + ".tmp", "stale copy\n");
    FilePlain file(path);
    file.open(FileBase::Write | FileBase::Append);
    EXPECT_TRUE(file.usesTemp());
    EXPECT_EQ(file.tell(), 6);
    file.writeLine("second");
    file.flush();
    EXPECT_EQ(readFile(path + ".tmp"), "first\nsecond\n");
    EXPECT_EQ(readFile(path), "first\n");
    file.close();
    EXPECT_EQ(readFile(path), "first\nsecond\n");

    // Without a real file, a stale copy must not become its start.
    const std::string fresh = at("fresh.txt");
    writeFile(fresh + ".tmp", "stale copy\n");
    FilePlain second(fresh);
    second.open(FileBase::Write | FileBase::Append);
    EXPECT_EQ(second.tell(), 0);
    second.writeText("only this");
    second.close();
    EXPECT_EQ(readFile(fresh), "only this");
}

TEST_F(FilePlainTest, WhileOpenTheRealFileKeepsItsContentUnderAFourLineLock) {
    struct Case {
        uint16_t flags;
        int32_t defaultSeconds;  // process-wide default
        int32_t ownSeconds;      // this file's span; 0 keeps the default
        int32_t expectedSeconds;
        const char* holdWord;
    };
    const Case cases[] = {
        {FileBase::Write, 0, 0, 30, "original"},
        {FileBase::Write | FileBase::Direct, 0, 0, 30, "missing"},
        {FileBase::Write, 45, 0, 45, "original"},
        {FileBase::Write, 45, 90, 90, "original"},
    };
    for (const Case& c : cases) {
        const std::string path = at("guarded.txt");
        writeFile(path, "old content");
        FileBase::setDefaultLockTimeout(TimeSpan(c.defaultSeconds));
        FilePlain file(path);
        if (c.ownSeconds != 0) file.setLockTimeout(TimeSpan(c.ownSeconds));
        EXPECT_EQ(file.lockTimeout().getSeconds(), c.expectedSeconds);
        const int32_t before = DateTime().getSeconds();
        file.open(c.flags);
        const int32_t after = DateTime().getSeconds();
        file.writeText("new");
        file.flush();

        const bool direct = (c.flags & FileBase::Direct) != 0;
        EXPECT_EQ(rawExists(path + ".tmp"), !direct);
        if (!direct) {
            EXPECT_EQ(readFile(path), "old content");
            EXPECT_EQ(readFile(path + ".tmp"), "new");
        }

        const std::string lockText = readFile(path + ".lock");
        EXPECT_EQ(std::count(lockText.begin(), lockText.end(), '\n'), 4) << lockText;
        EXPECT_EQ(lockText.find('\r'), std::string::npos);
        ASSERT_EQ(lockText.back(), '\n');
        const std::vector<std::string> lines = splitLines(lockText);
        ASSERT_EQ(lines.size(), 4u) << lockText;
        DateTime start(0);
        DateTime expiry(0);
        ASSERT_TRUE(start.fromText(lines[0])) << lines[0];
        ASSERT_TRUE(expiry.fromText(lines[1])) << lines[1];
        EXPECT_EQ(lines[0].size(), 20u);
        EXPECT_GE(start.getSeconds(), before);
        EXPECT_LE(start.getSeconds(), after);
        EXPECT_EQ(expiry.getSeconds() - start.getSeconds(), c.expectedSeconds);
        ASSERT_EQ(lines[2].size(), 30u);
        for (size_t i = 20; i < 30; ++i) {
            EXPECT_GE(static_cast<unsigned char>(lines[2][i]), 32);
            EXPECT_LE(static_cast<unsigned char>(lines[2][i]), 125);
        }
        EXPECT_EQ(lines[3], c.holdWord);

        file.close();
        EXPECT_EQ(readFile(path), "new");
        EXPECT_EQ(claimLeft(path), "");
    }
}

TEST_F(FilePlainTest, DiscardAndFailedUpdatesLeaveTheRealFileAsItWas) {
    const std::string path = at("keep.txt");
    const uint16_t keepingFlags[] = {
        FileBase::Write,
        FileBase::Write | FileBase::Append,
        FileBase::Read | FileBase::Write | FileBase::Truncate,
    };
    for (uint16_t flags : keepingFlags) {
        writeFile(path, "precious");
        FilePlain file(path);
        file.open(flags);
        file.writeText("half an upd");
        file.discard();
        EXPECT_TRUE(file.isClosed());
        EXPECT_EQ(readFile(path), "precious") << "flags " << flags;
        EXPECT_EQ(claimLeft(path), "");
        file.discard();  // nothing to do on a closed file
    }

    // A file that did not exist is gone again after discard.
    const std::string fresh = at("fresh.txt");
    for (uint16_t flags :
         {uint16_t(FileBase::Write), uint16_t(FileBase::Write | FileBase::Direct)}) {
        FilePlain file(fresh);
        file.open(flags);
        file.writeText("draft");
        file.discard();
        EXPECT_FALSE(rawExists(fresh)) << "flags " << flags;
        EXPECT_FALSE(rawExists(fresh + ".lock"));
    }

    // The copy cannot be written (a directory stands in its place): the open
    // fails after the lock has held the real file, which must keep its content.
    ASSERT_TRUE(::CreateDirectoryA((path + ".tmp").c_str(), nullptr));
    writeFile(path, "precious");
    FilePlain blocked(path);
    const FileException e = raised([&] { blocked.open(FileBase::Write); });
    EXPECT_EQ(e.code(), FileException::FL_CANNOT_OPEN);
    EXPECT_EQ(e.message(), path + " (#4)");
    EXPECT_EQ(readFile(path), "precious");
    EXPECT_FALSE(rawExists(path + ".lock"));
    // With Append the copy carries the old content, so a failed copy stops the open.
    const FileException copy = raised([&] { blocked.open(FileBase::Write | FileBase::Append); });
    EXPECT_EQ(copy.code(), FileException::FL_CANNOT_COPY);
    EXPECT_EQ(readFile(path), "precious");
    EXPECT_FALSE(rawExists(path + ".lock"));
    EXPECT_TRUE(blocked.isClosed());
}

TEST_F(FilePlainTest, DestructorClosesButDiscardsWhileAnExceptionUnwinds) {
    const std::string saved = at("saved.txt");
    {
        FilePlain file(saved);
        file.open(FileBase::Write);
        file.writeText("kept");
    }
    EXPECT_EQ(readFile(saved), "kept");
    EXPECT_FALSE(rawExists(saved + ".lock"));

    const std::string unwound = at("unwound.txt");
    writeFile(unwound, "before");
    try {
        FilePlain file(unwound);
        file.open(FileBase::Write);
        file.writeText("half");
        throw std::runtime_error("interrupted");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(readFile(unwound), "before");
    EXPECT_EQ(claimLeft(unwound), "");
}

TEST_F(FilePlainTest, ReadingGivesLinesAndTextAndReportsTheEnd) {
    const std::string path = at("lines.txt");
    writeFile(path, "one\r\ntwo\r\n\r\nthree");
    FilePlain file(path);
    file.open(FileBase::Read);
    std::vector<std::string> lines;
    std::string line;
    for (int i = 0; i < 4; ++i) {
        file.readLine(line);
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "three"}));
    EXPECT_TRUE(file.atEnd());
    EXPECT_EQ(raised([&] { file.readLine(line); }).code(), FileException::FL_EOF);
    char byte = 0;
    EXPECT_EQ(raised([&] { file.readBytes(&byte, 1); }).code(), FileException::FL_EOF);
    file.close();

    struct Case {
        uint64_t count;
        bool exact;
        std::string text;
    };
    const std::string all = "one\r\ntwo\r\n\r\nthree";
    const Case cases[] = {
        {4, true, "one\r"},
        {all.size(), true, all},
        {all.size() + 1, false, all},
        // Far more than memory holds: only what the file has is allocated.
        {uint64_t{1} << 40, false, all},
        {~uint64_t{0}, false, all},
        {0, true, ""},
    };
    for (const Case& c : cases) {
        file.open(FileBase::Read);
        std::string text = "previous";
        EXPECT_EQ(file.readText(text, c.count), c.exact) << c.count;
        EXPECT_EQ(text, c.text) << c.count;
        file.close();
    }
}

TEST_F(FilePlainTest, OperationsRefusedByStateOrFlagsRaiseTheirCodes) {
    const std::string path = at("state.txt");
    writeFile(path, "abc");
    FilePlain file(path);
    std::string text;
    char buffer[4] = {};
    struct Case {
        const char* what;
        std::function<void()> action;
        uint32_t code;
        std::string detail;
    };
    const Case onClosed[] = {
        {"readText", [&] { file.readText(text, 1); }, FileException::FL_READ, ""},
        {"readBytes", [&] { file.readBytes(buffer, 1); }, FileException::FL_IS_CLOSED, ""},
        {"readLine", [&] { file.readLine(text); }, FileException::FL_IS_CLOSED, ""},
        {"writeBytes", [&] { file.writeBytes("x", 1); }, FileException::FL_IS_CLOSED, ""},
        {"flush", [&] { file.flush(); }, FileException::FL_IS_CLOSED, ""},
        {"seek", [&] { file.seek(0, 0); }, FileException::FL_IS_CLOSED, ""},
        {"writeText", [&] { file.writeText("x"); }, FileException::FL_WRITE,
         " - Access: 0 - BFile error: 1"},
        {"writeLine", [&] { file.writeLine("x"); }, FileException::FL_WRITE,
         " - Access: 0 - BFile error: 1"},
    };
    for (const Case& c : onClosed) {
        const FileException e = raised(c.action);
        EXPECT_EQ(e.code(), c.code) << c.what;
        EXPECT_EQ(e.message(), c.detail) << c.what;
    }

    file.open(FileBase::Read);
    const Case onReadOnly[] = {
        {"writeBytes", [&] { file.writeBytes("x", 1); }, FileException::FL_CANNOT_WRITE, ""},
        {"flush", [&] { file.flush(); }, FileException::FL_CANNOT_WRITE, ""},
        {"writeText", [&] { file.writeText("x"); }, FileException::FL_WRITE,
         " - Access: 1 - BFile error: 6"},
        {"seek", [&] { file.seek(0, 3); }, FileException::FL_POSITION, ""},
        {"seek", [&] { file.seek(-1, 0); }, FileException::FL_POSITION, ""},
    };
    for (const Case& c : onReadOnly) EXPECT_EQ(raised(c.action).code(), c.code) << c.what;
    file.close();

    file.open(FileBase::Write | FileBase::NoLock);
    EXPECT_EQ(raised([&] { file.readLine(text); }).code(), FileException::FL_CANNOT_READ);
    // readLine alone tells "not open for reading"; the others see a failed read.
    EXPECT_EQ(raised([&] { file.readBytes(buffer, 1); }).code(), FileException::FL_READ);
    EXPECT_EQ(raised([&] { file.readText(text, 1); }).code(), FileException::FL_READ);
    EXPECT_TRUE(file.atEnd());  // not open for reading
    file.close();

    EXPECT_NO_THROW(file.checkPrintable("tab\tcr\rlf\n bytes \x7f\x80\xff"));
    for (const std::string& bad :
         {std::string("nul\0", 4), std::string("bell\a"), std::string("\x1b")}) {
        const FileException e = raised([&] { file.checkPrintable(bad); });
        EXPECT_EQ(e.code(), 27u);
        EXPECT_EQ(e.message(), "");
    }
}

TEST_F(FilePlainTest, SeekTellAndAtEndFollowThePosition) {
    const std::string path = at("digits.txt");
    writeFile(path, "0123456789");
    FilePlain file(path);
    EXPECT_TRUE(file.atEnd());  // closed
    file.open(FileBase::Read);
    EXPECT_EQ(file.tell(), 0);
    EXPECT_FALSE(file.atEnd());
    EXPECT_EQ(file.seek(3, 0), 3);
    char two[2];
    ASSERT_EQ(file.readBytes(two, 2), 2u);
    EXPECT_EQ(std::string(two, 2), "34");
    EXPECT_EQ(file.tell(), 5);
    EXPECT_EQ(file.seek(2, 1), 7);
    EXPECT_EQ(file.seek(-2, 2), 8);
    EXPECT_FALSE(file.atEnd());
    char rest[8];
    EXPECT_EQ(file.readBytes(rest, sizeof rest), 2u);
    EXPECT_EQ(std::string(rest, 2), "89");
    EXPECT_TRUE(file.atEnd());
    EXPECT_EQ(file.tell(), 10);
    file.close();
    EXPECT_EQ(file.tell(), 0);
}

// Wine maps drive Z: to the host's root, so the host's always-full device is
// reachable; elsewhere the test is skipped.
TEST_F(FilePlainTest, DataThatCannotBeWrittenIsReported) {
    const std::string full = "Z:\\dev\\full";
    FilePlain probe(full);
    try {
        probe.open(FileBase::Write | FileBase::NoLock);
    } catch (const FileException&) {
        GTEST_SKIP() << "no always-full device here";
    }
    probe.discard();

    FilePlain file(full);
    file.open(FileBase::Write | FileBase::NoLock);
    const std::string large(1 << 20, 'x');
    const FileException e = raised([&] { file.writeBytes(large.data(), large.size()); });
    EXPECT_EQ(e.code(), FileException::FL_WRITE);
    EXPECT_EQ(e.message(), " - Access: 66 - BFile error: 9");
    file.discard();

    file.open(FileBase::Write | FileBase::NoLock);
    EXPECT_TRUE(file.writeText("buffered"));
    EXPECT_EQ(raised([&] { file.close(); }).code(), FileException::FL_CANNOT_CLOSE);
    EXPECT_TRUE(file.isClosed());

    file.open(FileBase::Write | FileBase::NoLock);
    EXPECT_TRUE(file.writeText("buffered"));
    EXPECT_EQ(raised([&] { file.flush(); }).code(), FileException::FL_FLUSH);
    file.discard();
    EXPECT_TRUE(file.isClosed());
}

}  // namespace
}  // namespace Velmar
