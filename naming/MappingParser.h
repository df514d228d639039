// The line format of the application mapping file, one line at a time:
//
//   # comment              (only as the first byte after trimming)
//   ignore | mapalways | mapmedium | maplast     (a keyword, any letter case)
//   {
//   foo                    (ignore block: the whole line is the key)
//   foo = Foo Suite        (mapping blocks: key "=" value)
//   }
//
// Lines are trimmed of blanks; empty lines and comments still count for the
// line number. Lines outside a block that are neither keyword nor brace are
// entered with kind None.
#pragma once

#include "naming/ApplicationMappings.h"

#include <string>
#include <vector>

namespace Velmar {

class MappingParser {
public:
    MappingParser() = default;
    virtual ~MappingParser() = default;

    // Reads the next line of the file (without its line end). False when the
    // line is a "{" that no keyword announced: the file is then invalid, as is
    // every rule read so far, and later lines are ignored.
    bool addLine(std::string line);

    // The number of the line read last, counting from 1.
    int lineNumber() const { return lineNumber_; }
    bool failed() const { return failed_; }
    const ApplicationMappings& mappings() const { return mappings_; }

private:
    void enter(const std::string& key, const std::string& value, MappingKind kind);

    ApplicationMappings mappings_;
    int state_ = None;            // the kind of the open block; None outside
    MappingKind pending_ = None;  // the kind the last keyword announced
    int lineNumber_ = 0;
    bool failed_ = false;
};

// Parses all lines. On success fills `out` and returns true; on an illegal
// "{" returns false with its line number in `errorLine` and `out` untouched.
bool parseMappingLines(const std::vector<std::string>& lines, ApplicationMappings& out,
                       int& errorLine);

}  // namespace Velmar
