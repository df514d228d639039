#include "shared/library/common/AnsiText.h"
#include "tests/support/AnsiTextCases.h"

#include <gtest/gtest.h>

namespace Velmar {
namespace {

using testing::expectConversions;

TEST(AnsiText, Fixed1252TakesExactlyTheCodePagesCharacters) {
    expectConversions(toAnsi1252, {
        {u"", true, ""},
        {u"C:\\Program Files\\a.exe", true, "C:\\Program Files\\a.exe"},
        {std::u16string(1, u'\0') + u"x", true, std::string(1, '\0') + "x"},
        {u"\u007F\u00A0\u00E9\u00FF", true, "\x7F\xA0\xE9\xFF"},
        // The first and last of the 0x80 row, and the undefined bytes.
        {u"\u20AC\u0178\u0081\u009D", true, "\x80\x9F\x81\x9D"},
        // Latin-1 controls that 1252 puts letters in place of, and characters with
        // only a best-fit look-alike ("A" for A-macron), do not convert.
        {u"\u0080", false, "euro place"},
        {u"\u009F", false, "Y-diaeresis place"},
        {u"\u0100", false, "A-macron"},
        {u"a\u05D0b", false, "Hebrew alef"},
        {u"\u4E2D", false, "CJK"},
        {std::u16string(1, char16_t(0xD83D)), false, "unpaired surrogate"},
    });
}

}  // namespace
}  // namespace Velmar
