// The grammar of the configuration format over a token stream.
//
// A text is a sequence of entries; an entry is a name token, "(", an optional
// type token, ")", "=", a value token, "{", a sequence of entries, "}". The
// parser sees only significant tokens and skips a token that is one line feed,
// so line breaks carry no meaning; comments are tokens like any other.
#pragma once

#include "shared/library/config/DOMNode.h"
#include "shared/library/common/Log.h"
#include "shared/library/config/Tokenizer.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Velmar {

// The numbered messages of the Configuration module, all of severity ERROR.
namespace ConfMessage {
constexpr int32_t kCannotReadFile = 1;     // file name, exception text or "Unknown"
constexpr int32_t kSyntaxError = 2;        // file name, exception text
constexpr int32_t kUnresolvableValue = 3;  // key
}  // namespace ConfMessage

// Blocks nested deeper than this are a syntax error, so that the recursive
// parse stays far inside a 1 MiB stack (the Windows main thread's) whatever the text.
constexpr uint32_t kMaxConfNesting = 1000;

// Reads entries from the tokenizer and appends each to `parent` once its block
// is complete. Returns true when the tokens ran out (a block left open at the
// end of the text is accepted), false when a "}" closed the block. `depth` is
// the number of blocks enclosing `parent`.
// On a syntax error logs the failing state's debug line at level 1 and throws
// ConfigException CF_CONF; on a failed node allocation throws CF_MEM. The entry
// that failed and the ones enclosing it are discarded; completed ones stay in
// the tree.
bool parseEntries(Tokenizer& tokenizer, DOMNode& parent, Log& log, uint32_t depth = 0);

// Replaces `root` with a new node "Root" holding the entries of `text`, then
// logs at level 2 "ConfReader: DOM tree built.". A stray "}" at the top level
// ends the parse quietly. On a syntax error `root` keeps the entries completed
// before it and the error is logged: ERROR message 2 (file name, exception
// text) and "ConfReader: %s, line %i." at level 1, the line being the one where
// the failing token ends. Never throws.
void buildTreeFromText(const std::string& text, const std::string& fileName,
                       std::unique_ptr<DOMNode>& root, Log& log);

}  // namespace Velmar
