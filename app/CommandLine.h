// The program's command line: the argument splitter, and the one option the
// program knows ("-c" with the path of its configuration file).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Velmar {

// (name, value) pairs in the order the splitter found them.
using Options = std::vector<std::pair<std::string, std::string>>;

// Splits a text into (name, value) pairs. White space is blank, tab, line feed
// and carriage return; quotes are the double quote and the apostrophe. "-x"
// names the pair whose value follows ("-xvalue" and "-x value" alike), "--name"
// a long name ended by white space; a quoted text is one value, blanks
// included. A name met while another is still pending pushes that one with an
// empty value; at the end a pending name or an unfinished token is pushed, and
// an unterminated quote keeps its opening quote character in the value.
Options splitArguments(const std::string& text);

// The options of the command line as the program sees them: the word "dummy"
// glued to the command line is split and its first pair (the program word) is
// removed. A command line whose first character is neither "-", a quote nor
// white space therefore loses its first word.
Options parseCommandLine(const std::string& commandLine);

// When the first pair is named "c", moves its value into `path`, removes the
// pair and answers true; otherwise false and `path` is left untouched. A "-c"
// anywhere else is ignored.
bool takeConfigFileOption(Options& options, std::string& path);

}  // namespace Velmar
