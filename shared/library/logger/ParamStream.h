// The parameters of one log message as one 8-bit string, and the placeholder
// substitution that puts them into a message text.
//
// Each value is appended as a one-byte tag ("s" text, "n" number), its text and
// the separator byte 0x1A. The bytes 0x1A, 0x1B and 0x1C separate the fields of
// this stream, of the mailslot frame and of the record text; a text value holds
// data from the host (registry names, paths), so each of those bytes in it is
// replaced by a blank before it is stored, and no value can shift the fields
// after it.
#pragma once

#include <string>

namespace Velmar {

// Separator bytes of the logging chain.
constexpr char kParamSeparator = '\x1A';   // between parameters
constexpr char kFrameSeparator = '\x1B';   // between mailslot frame pieces
constexpr char kRecordSeparator = '\x1C';  // after each record text field

constexpr char kTextTag = 's';
constexpr char kNumberTag = 'n';

// Replaces every 0x1A, 0x1B and 0x1C of the text by a blank.
void blankSeparatorBytes(std::string& text);

class ParamStream {
public:
    ParamStream() = default;
    virtual ~ParamStream();

    // Text values, separator bytes blanked; a null pointer is an empty text.
    ParamStream& operator<<(const std::string& text);
    ParamStream& operator<<(const char* text);
    // Numbers in decimal.
    ParamStream& operator<<(int value);
    ParamStream& operator<<(long value);
    ParamStream& operator<<(unsigned int value);
    ParamStream& operator<<(unsigned long value);
    // No other type is insertable (no bool, char, 64-bit "long long"...).
    template <class T>
    ParamStream& operator<<(const T&) = delete;

    // A copy of the content.
    std::string str() const { return content_; }
    const std::string& content() const { return content_; }
    bool empty() const { return content_.empty(); }

private:
    void appendNumber(const std::string& digits);

    std::string content_;
};

// Puts the parameters of `content` (a ParamStream content) into `text`, left
// to right: "%s" takes a text parameter, "%i" and "%f" a number, "%d" and "%p"
// tags no stream makes, "%%" is one "%", any other "%x" takes a parameter
// without expecting a tag. A parameter whose tag is not the expected one is
// written between two backslashes. A "%" at the end of the text or after the
// last parameter is used becomes "<???>" (with the byte after it). Surplus
// parameters are ignored. Never throws (but std::bad_alloc).
void substituteParameters(std::string& text, const std::string& content);

}  // namespace Velmar
