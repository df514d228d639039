// Cuts a text into tokens with the rules of a StringSearcher.
#pragma once

#include "shared/library/config/StringSearcher.h"
#include "shared/library/config/Token.h"

#include <cstddef>
#include <string>

namespace Velmar {

class Tokenizer {
public:
    // Neither pointer is owned; both must outlive the tokenizer. Either may be null: nextToken then answers false.
    Tokenizer(const std::string* source, StringSearcher* searcher);
    virtual ~Tokenizer();

    Tokenizer(const Tokenizer&) = delete;
    Tokenizer& operator=(const Tokenizer&) = delete;

    // Fills `token` with the next token and moves past it. False, with token and
    // positions unchanged, when there is no text or searcher, the text is used up,
    // or the searcher finds no token end.
    bool nextToken(Token& token);

    // Where the next token starts: after a token, the end of that token.
    size_t position() const { return position_; }
    // Where the last token returned started.
    size_t previousPosition() const { return previousPosition_; }

private:
    const std::string* source_;
    size_t position_ = 0;
    size_t previousPosition_ = 0;
    StringSearcher* searcher_;
};

}  // namespace Velmar
