// Table checks of the UTF-16 to ANSI conversions, shared by the portable test
// of the fixed code page and the Windows test of the host's code page.
#pragma once

#include "shared/library/common/AnsiText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Velmar {
namespace testing {

struct ConversionCase {
    std::u16string wide;
    bool converts;
    std::string ansi;
};

// Runs each case through `convert`; a refused text must leave the output as it was.
inline void expectConversions(AnsiConverter convert, const std::vector<ConversionCase>& cases) {
    for (const ConversionCase& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(convert(c.wide, out), c.converts) << c.ansi;
        EXPECT_EQ(out, c.converts ? c.ansi : "untouched") << c.ansi;
    }
}

}  // namespace testing
}  // namespace Velmar
