#include "shared/library/files/LockRecord.h"

#include <random>

namespace Velmar {

namespace {

const char kHeldWord[] = "original";
const char kNotHeldWord[] = "missing";

constexpr size_t kLockLines = 4;
constexpr size_t kTokenRandomChars = 10;
constexpr int kTokenFirstChar = 32;
constexpr int kTokenCharRange = 93;  // 32 + 0 .. 32 + 93: space to '}'

}  // namespace

std::string formatLockRecord(const LockRecord& record) {
    std::string text;
    text += record.start + "\n";
    text += record.expiry + "\n";
    text += record.owner + "\n";
    text += std::string(record.holdsGuarded ? kHeldWord : kNotHeldWord) + "\n";
    return text;
}

size_t parseLockRecord(const std::string& text, LockRecord& record) {
    size_t pos = 0;
    size_t lines = 0;
    while (lines < kLockLines && pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line;
        for (size_t i = pos; i < end; ++i) {
            if (text[i] != '\r') line.push_back(text[i]);
        }
        pos = end + 1;
        switch (lines) {
            case 0: record.start = line; break;
            case 1: record.expiry = line; break;
            case 2: record.owner = line; break;
            default: record.holdsGuarded = line == kHeldWord; break;
        }
        ++lines;
    }
    return lines;
}

std::string makeIdentityToken(const std::string& timeText, const std::vector<uint32_t>& seed) {
    std::seed_seq sequence(seed.begin(), seed.end());
    std::mt19937 generator(sequence);
    std::uniform_int_distribution<int> pick(0, kTokenCharRange);
    std::string token = timeText;
    for (size_t i = 0; i < kTokenRandomChars; ++i) {
        token.push_back(static_cast<char>(kTokenFirstChar + pick(generator)));
    }
    return token;
}

}  // namespace Velmar
