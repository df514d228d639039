#include "app/CommandLine.h"

namespace Velmar {

namespace {

// Glued in front of the command line, where the program's own name would stand.
constexpr char kProgramWord[] = "dummy";
constexpr char kOptionChar = '-';
constexpr char kConfigOptionName[] = "c";

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool isQuote(char c) { return c == '"' || c == '\''; }

class Splitter {
public:
    explicit Splitter(const std::string& text) : text_(text) {}

    Options run() {
        for (size_t i = 0; i < text_.size(); ++i) i = step(i);
        finish();
        return std::move(options_);
    }

private:
    // Handles the character at i; answers the index of the last character used.
    size_t step(size_t i) {
        const char c = text_[i];
        if (atTokenStart_) {
            if (isWhite(c)) return i;
            if (c == kOptionChar && !name_.empty()) push();
            start_ = i;
            atTokenStart_ = false;
        }
        if (quote_ != 0) {
            if (c == quote_) {
                value_ = text_.substr(start_, i - start_);
                push();
                quote_ = 0;
                atTokenStart_ = true;
            }
            return i;
        }
        if (longName_) {
            if (isWhite(c)) {
                name_ = text_.substr(start_, i - start_);
                longName_ = false;
                atTokenStart_ = true;
            }
            return i;
        }
        if (isWhite(c)) {
            pushGathered(i);
            atTokenStart_ = true;
            return i;
        }
        if (isQuote(c)) {
            pushGathered(i);
            quote_ = c;
            start_ = i + 1;
            return i;
        }
        if (c == kOptionChar) {
            pushGathered(i);
            if (i + 1 < text_.size() && text_[i + 1] == kOptionChar) {
                longName_ = true;
                start_ = i + 2;
                return i + 1;
            }
            if (i + 1 < text_.size()) name_ += text_[i + 1];
            atTokenStart_ = true;
            return i + 1;
        }
        return i;
    }

    // Text gathered in the current token before i becomes the pending name's value.
    void pushGathered(size_t i) {
        if (i > start_) {
            value_ = text_.substr(start_, i - start_);
            push();
        }
    }

    void finish() {
        if (atTokenStart_) {
            if (!name_.empty()) push();
            return;
        }
        if (quote_ != 0) {
            // The opening quote stays with the value.
            value_ = text_.substr(start_ - 1);
        } else if (longName_) {
            name_ = text_.substr(start_);
        } else {
            value_ = text_.substr(start_);
        }
        push();
    }

    void push() {
        options_.emplace_back(std::move(name_), std::move(value_));
        name_.clear();
        value_.clear();
    }

    const std::string& text_;
    Options options_;
    std::string name_;
    std::string value_;
    size_t start_ = 0;
    bool atTokenStart_ = true;
    bool longName_ = false;
    char quote_ = 0;
};

}  // namespace

Options splitArguments(const std::string& text) { return Splitter(text).run(); }

Options parseCommandLine(const std::string& commandLine) {
    Options options = splitArguments(kProgramWord + commandLine);
    if (!options.empty()) options.erase(options.begin());
    return options;
}

bool takeConfigFileOption(Options& options, std::string& path) {
    if (options.empty() || options.front().first != kConfigOptionName) return false;
    path = std::move(options.front().second);
    options.erase(options.begin());
    return true;
}

}  // namespace Velmar
