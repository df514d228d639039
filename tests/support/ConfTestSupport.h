// Support for tests of the configuration code: a recording ConfLog and a
// one-line rendering of a tree.
//
// ConfLogRecorder keeps every message as one line of text, so that tests can
// compare all that the configuration code said, in order, as one string.
//   debug:  "D<level> <format with its parameters in place>"
//   error:  "E<number> <parameter>|<parameter>..."
// Placeholders are filled in order: "%s" and "%i" take the next parameter, a
// number prints in decimal.
#pragma once

#include "shared/library/common/ConfLog.h"
#include "shared/library/common/DOMNode.h"

#include <string>

namespace Velmar {
namespace testing {

class ConfLogRecorder : public ConfLog {
public:
    void debug(int32_t level, const char* format, const ConfLogParams& params) override {
        std::string line = "D" + std::to_string(level) + " ";
        size_t next = 0;
        for (const char* p = format; *p != '\0'; ++p) {
            if (p[0] == '%' && (p[1] == 's' || p[1] == 'i') && next < params.size()) {
                line += render(params[next++]);
                ++p;
            } else {
                line += *p;
            }
        }
        lines += line + "\n";
    }

    void error(int32_t number, const ConfLogParams& params) override {
        std::string line = "E" + std::to_string(number) + " ";
        for (size_t i = 0; i < params.size(); ++i) line += (i ? "|" : "") + render(params[i]);
        lines += line + "\n";
    }

    // Everything said since the last take(), then forgets it.
    std::string take() {
        std::string taken;
        taken.swap(lines);
        return taken;
    }

    std::string lines;

private:
    static std::string render(const ConfLogParam& p) {
        return p.isNumber ? std::to_string(p.number) : p.text;
    }
};

// The children of `node`, each as name "(" type ")=" value "{" children "}",
// side by side: the text "a (T) = v { b () = '' {} }" gives "a(T)=v{b()={}}".
// Recurses once per level: not for trees thousands of levels deep.
inline std::string dumpTree(const DOMNode* node) {
    std::string out;
    if (node == nullptr) return "<none>";
    for (const DOMNode* child = node->firstChild(); child; child = child->nextSibling()) {
        out += child->name() + "(" + child->type() + ")=" + child->value() + "{" +
               dumpTree(child) + "}";
    }
    return out;
}

}  // namespace testing
}  // namespace Velmar
