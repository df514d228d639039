#include "shared/library/common/AnsiText.h"

#include <array>

namespace Velmar {

namespace {

// Bytes 0x80 to 0x9F of code page 1252, as UTF-16.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool byte1252(char16_t c, char& byte) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    byte = static_cast<char>(c);
    return true;
  }
  for (std::size_t i = 0; i < kHigh1252.size(); ++i) {
    if (kHigh1252[i] == c) {
      byte = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

}  // namespace

bool toAnsi1252(std::u16string_view wide, std::string& out) {
  char byte = 0;
  for (char16_t c : wide) {
    if (!byte1252(c, byte)) return false;
  }
  // Written in place, so that `out` keeps its room from one text to the next.
  out.resize(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) byte1252(wide[i], out[i]);
  return true;
}

std::string toAnsiForDisplay(std::u16string_view wide, AnsiConverter convert) {
  std::string text;
  if (convert(wide, text)) return text;
  text.clear();
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t c = wide[i];
    const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
                      wide[i + 1] <= 0xDFFF;
    std::string one;
    if (!pair && convert(wide.substr(i, 1), one)) {
      text += one;
    } else {
      text += '?';
      if (pair) ++i;
    }
  }
  return text;
}

}  // namespace Velmar
