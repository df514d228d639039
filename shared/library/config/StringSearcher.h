// The lexical rules of a tokenizer, as an interface: where the token that
// begins at an index ends, and where the blanks after an index end.
#pragma once

#include <cstddef>
#include <string>

namespace Velmar {

class StringSearcher {
public:
    // Answer of both operations when there is no position to give.
    static constexpr size_t npos = static_cast<size_t>(-1);

    virtual ~StringSearcher() = default;

    // The index of the first character in text[start, start + count) that is
    // not blank or is a line feed; `passed` receives how many characters lie
    // before it. npos when that index is at or past the end of the text.
    virtual size_t skipBlanks(const std::string& text, size_t& passed, size_t start,
                              size_t count) const = 0;

    // The index just past the token that begins at `start`, looking no further
    // than start + count (clamped to the text); `significant` receives whether
    // the parser sees the token. npos when no token ends past `start`.
    virtual size_t findTokenEnd(const std::string& text, bool& significant, size_t start,
                                size_t count) const = 0;
};

}  // namespace Velmar
