#include "shared/library/logger/ParamStream.h"

#include <string>
#include <vector>

namespace Velmar {
namespace {

// "<???>", written so that it cannot read as a trigraph.
const char kMissingParameter[] = "<?\?\?>";

bool isSeparatorByte(char c) {
    return c == kParamSeparator || c == kFrameSeparator || c == kRecordSeparator;
}

// The tag that a placeholder's selecting byte expects; 0 for one that
// expects no tag (no parameter tag is 0, see Parameter).
char expectedTag(char selector) {
    switch (selector) {
        case 's': return kTextTag;
        case 'i':
        case 'f': return kNumberTag;
        case 'd': return 'e';
        case 'p': return 'p';
        default: return 0;
    }
}

struct Parameter {
    int tag;  // -1 for an empty piece, which matches no placeholder
    const char* text;
    size_t length;
};

// Splits at every 0x1A; the empty piece after the final separator is dropped.
std::vector<Parameter> splitParameters(const std::string& content) {
    std::vector<Parameter> parameters;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find(kParamSeparator, start);
        if (end == std::string::npos) end = content.size();
        if (end == start) {
            parameters.push_back({-1, content.data() + start, 0});
        } else {
            parameters.push_back({static_cast<unsigned char>(content[start]),
                                  content.data() + start + 1, end - start - 1});
        }
        start = end + 1;
    }
    return parameters;
}

}  // namespace

void blankSeparatorBytes(std::string& text) {
    for (char& c : text) {
        if (isSeparatorByte(c)) c = ' ';
    }
}

ParamStream::~ParamStream() = default;

ParamStream& ParamStream::operator<<(const std::string& text) {
    content_ += kTextTag;
    const size_t start = content_.size();
    content_ += text;
    for (size_t i = start; i < content_.size(); ++i) {
        if (isSeparatorByte(content_[i])) content_[i] = ' ';
    }
    // The value can no longer end in 0x1A, so every value gets its separator.
    content_ += kParamSeparator;
    return *this;
}

ParamStream& ParamStream::operator<<(const char* text) {
    return *this << std::string(text != nullptr ? text : "");
}

ParamStream& ParamStream::operator<<(int value) {
    appendNumber(std::to_string(value));
    return *this;
}

ParamStream& ParamStream::operator<<(long value) {
    appendNumber(std::to_string(value));
    return *this;
}

ParamStream& ParamStream::operator<<(unsigned int value) {
    appendNumber(std::to_string(value));
    return *this;
}

ParamStream& ParamStream::operator<<(unsigned long value) {
    appendNumber(std::to_string(value));
    return *this;
}

void ParamStream::appendNumber(const std::string& digits) {
    content_ += kNumberTag;
    content_ += digits;
    content_ += kParamSeparator;
}

void substituteParameters(std::string& text, const std::string& content) {
    const std::vector<Parameter> parameters = splitParameters(content);
    size_t next = 0;
    std::string result;
    result.reserve(text.size() + content.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            result += text[i];
            continue;
        }
        if (i + 1 == text.size() || next == parameters.size()) {
            result += kMissingParameter;
            ++i;  // the byte after the "%", if any, goes with it
            continue;
        }
        const char selector = text[++i];
        if (selector == '%') {
            result += '%';
            continue;
        }
        const Parameter& parameter = parameters[next++];
        const bool matches = parameter.tag == expectedTag(selector) && parameter.tag != 0;
        if (!matches) result += '\\';
        result.append(parameter.text, parameter.length);
        if (!matches) result += '\\';
    }
    text.swap(result);
}

}  // namespace Velmar
