// One token of a configuration text: its characters exactly as they stand in
// the text (quotes and comment markers included) and whether the parser looks
// at it. Only a run of blank characters is not significant.
#pragma once

#include <string>

namespace Velmar {

class Token {
public:
    Token() = default;
    virtual ~Token();

    // Replaces both fields.
    void set(const std::string& text, bool significant);

    const std::string& text() const { return text_; }
    bool isSignificant() const { return significant_; }

private:
    std::string text_;
    bool significant_ = false;
};

}  // namespace Velmar
