// Table-driven checks of a conversion of UTF-16 text to 8-bit text.
#pragma once

#include "shared/library/common/AnsiText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Velmar::testing {

struct ConversionCase {
    std::u16string wide;
    bool converts;
    std::string ansi;  // the expected text; for a refused text, what the case is
};

// Runs each case through `convert`; a refused text must leave the output as it was.
inline void expectConversions(AnsiConverter convert, const std::vector<ConversionCase>& cases) {
    for (const ConversionCase& c : cases) {
        std::string out = "untouched";
        EXPECT_EQ(convert(c.wide, out), c.converts) << c.ansi;
        EXPECT_EQ(out, c.converts ? c.ansi : "untouched") << c.ansi;
    }
}

}  // namespace Velmar::testing
