#include "shared/library/config/Tokenizer.h"

namespace Velmar {

Tokenizer::Tokenizer(const std::string* source, StringSearcher* searcher)
    : source_(source), searcher_(searcher) {}

Tokenizer::~Tokenizer() = default;

bool Tokenizer::nextToken(Token& token) {
    if (source_ == nullptr || searcher_ == nullptr) return false;
    const size_t size = source_->size();
    if (position_ >= size) return false;

    bool significant = false;
    size_t end = searcher_->findTokenEnd(*source_, significant, position_, size - position_);
    if (end == StringSearcher::npos || end <= position_) return false;
    if (end > size) end = size;

    token.set(source_->substr(position_, end - position_), significant);
    previousPosition_ = position_;
    position_ = end;
    return true;
}

}  // namespace Velmar
