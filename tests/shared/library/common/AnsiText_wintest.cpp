#include "shared/library/common/AnsiText.h"
#include "tests/support/AnsiTextCases.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

using testing::expectConversions;

// The test processes run with the code page 1252 that LC_ALL=C.UTF-8 gives Wine.
TEST(AnsiText, HostConversionRefusesBestFitAndCharactersOutsideTheCodePage) {
    expectConversions(toAnsi, {
        {u"", true, ""},
        // ASCII up to its last character, then the first one past it.
        {u"C:\\Tools\\a.exe\u007F", true, "C:\\Tools\\a.exe\x7F"},
        {u"a.exe\u0080", false, "U+0080, which the euro's byte is not"},
        {u"caf\u00E9\u20AC.exe", true, "caf\xE9\x80.exe"},
        {u"\u0100", false, "A-macron"},
        {u"C:\\Users\\\u05D0\u05D1", false, "Hebrew"},
    });
}

}  // namespace
}  // namespace Velmar
