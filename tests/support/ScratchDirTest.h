// A test fixture that works in a scratch directory of its own: the process's
// current directory is put back first (one inside the directory would keep it),
// then the directory is removed and checked gone.
#pragma once

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace Velmar {
namespace testing {

class ScratchDirTest : public ::testing::Test {
protected:
    // `prefix` names the directory (see ScratchDir), one per kind of test.
    explicit ScratchDirTest(const std::string& prefix) : scratch_(prefix), dir_(scratch_.dir()) {}

    void SetUp() override {
        const DWORD size = ::GetCurrentDirectoryA(0, nullptr);
        savedCwd_.assign(size, '\0');
        savedCwd_.resize(::GetCurrentDirectoryA(size, &savedCwd_[0]));
    }
    void TearDown() override {
        ::SetCurrentDirectoryA(savedCwd_.c_str());
        scratch_.remove();
        EXPECT_FALSE(rawExists(dir_));
    }

    // The path of `name` inside the scratch directory.
    std::string at(const std::string& name) const { return dir_ + "\\" + name; }

    ScratchDir scratch_;
    const std::string dir_;

private:
    std::string savedCwd_;
};

}  // namespace testing
}  // namespace Velmar
