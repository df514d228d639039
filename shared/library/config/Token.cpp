#include "shared/library/config/Token.h"

namespace Velmar {

Token::~Token() = default;

void Token::set(const std::string& text, bool significant) {
    text_ = text;
    significant_ = significant;
}

}  // namespace Velmar
