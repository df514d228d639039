#include "shared/library/logger/LogSettings.h"

#include "shared/library/logger/LogRotation.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

TEST(RotationWords, ExactWordsAddBitsAndNoneClears) {
    const struct {
        uint32_t before;
        const char* words;
        uint32_t after;
    } cases[] = {
        {0, "init, size", kRotateInit},
        {0, "init,time,size", kRotateInit | kRotateTime | kRotateSize},
        {kRotateTime, "size", kRotateTime | kRotateSize},
        {kRotateTime, "size,none", kRotateNone},
        {kRotateSize, "none,time", kRotateTime},
        {kRotateSize, "INIT,Time, none,,", kRotateSize},
        {kRotateInit, "", kRotateInit},
    };
    const uint32_t saved = rotationSettings().scheme;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words);
        setRotationScheme(c.before);
        applyRotationWords(c.words);
        EXPECT_EQ(rotationSettings().scheme, c.after);
    }
    setRotationScheme(saved);
}

}  // namespace
}  // namespace Velmar
