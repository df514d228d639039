// Text crosses into this program as UTF-16 (registry names and data, file names)
// and leaves it as 8-bit text in the host's ANSI code page (records, messages,
// paths handed to the "A" functions). One conversion does that everywhere.
#pragma once

#include <string>
#include <string_view>

namespace Velmar {

// Converts UTF-16 text to 8-bit text. Returns false, leaving `out` untouched,
// when a character has no exact 8-bit form: no best-fit look-alike, no "?".
// An unpaired surrogate never converts.
using AnsiConverter = bool (*)(std::u16string_view wide, std::string& out);

// The conversion into code page 1252 (Western European), which is fixed and
// the same on every platform: what portable tests and fuzz targets use in place
// of the host's code page. The five bytes that code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the characters of the same numbers,
// as the Windows conversion has them.
bool toAnsi1252(std::u16string_view wide, std::string& out);

// The 8-bit form of a text for messages: `convert`'s text when it converts;
// otherwise each character that has no byte (a surrogate pair counts as one)
// is written "?", as the system's 8-bit interfaces show such names. Such a
// text names nothing on the file system or in the registry.
std::string toAnsiForDisplay(std::u16string_view wide, AnsiConverter convert);

#ifdef _WIN32
// The conversion into the host's ANSI code page (WideCharToMultiByte without
// best-fit characters). The program's one conversion on Windows.
bool toAnsi(std::u16string_view wide, std::string& out);
// The reverse: 8-bit text of the host's ANSI code page as UTF-16. False,
// leaving `out` untouched, when the text does not convert.
bool fromAnsi(const std::string& text, std::u16string& out);
#endif

}  // namespace Velmar
