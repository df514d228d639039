// The lexical rules of the configuration format.
//
// A character is blank when its byte, read as a signed 8-bit number, is 32 or
// less (so 0x80 to 0xFF are blank too). A token is one of:
//   - a run of one and the same blank character other than the line feed
//     (not significant; a space and a tab make two tokens);
//   - "#" up to, not including, the next line feed (a carriage return stays);
//   - a quoted text: ' or " up to the first unescaped copy of the same quote
//     (a backslash escapes the character after it), or to the end of the text;
//   - "//" up to the next line feed, without a carriage return just before it;
//   - "/*" up to and including the first "*/" from the comment's third character
//     on, or to the end of the text;
//   - one of the delimiters "=", "(", ")", "{", "}" and the line feed;
//   - a word: characters up to a blank, a quote, a delimiter, or a "/" followed
//     by "/" or "*".
#pragma once

#include "shared/library/config/StringSearcher.h"

namespace Velmar {

class ConfSearcher : public StringSearcher {
public:
    ~ConfSearcher() override;

    size_t skipBlanks(const std::string& text, size_t& passed, size_t start,
                      size_t count) const override;
    size_t findTokenEnd(const std::string& text, bool& significant, size_t start,
                        size_t count) const override;

    // Whether the byte is one of the six delimiters.
    static bool isDelimiter(char c);
    // Whether the byte, read as signed, is 32 or less.
    static bool isBlank(char c) { return static_cast<signed char>(c) <= 32; }
};

}  // namespace Velmar
