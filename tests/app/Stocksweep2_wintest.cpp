#include "app/Stocksweep2.h"

#include "shared/library/common/WinApi.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

// The application object is built before anything of the scan runs; from then
// on a path on a drive without its medium fails quietly instead of raising the
// system's error box, which a windowless run could only wait on.
TEST(Stocksweep2, ConstructionSetsAnErrorModeWithoutSystemDialogs) {
    testing::EnvGuard moduleType("VelmarModuleType");
    const UINT quiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    const UINT before = ::SetErrorMode(0);
    UINT during = 0;
    {
        Stocksweep2 application("");
        during = ::SetErrorMode(before);
    }
    EXPECT_EQ(during & quiet, quiet);
}

}  // namespace
}  // namespace Velmar
