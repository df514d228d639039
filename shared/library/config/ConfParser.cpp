#include "shared/library/config/ConfParser.h"

#include "shared/library/config/ConfSearcher.h"
#include "shared/library/common/Exception.h"
#include "shared/library/files/FileUtils.h"

#include <new>

namespace Velmar {
namespace {

// The states of one entry, named by what they wait for.
enum class State { Name, OpenParen, Type, CloseParen, Equals, Value, OpenBrace };

// The next token that the grammar sees: significant and not a lone line feed.
bool nextGrammarToken(Tokenizer& tokenizer, Token& token) {
    while (tokenizer.nextToken(token)) {
        if (token.isSignificant() && token.text() != "\n") return true;
    }
    return false;
}

[[noreturn]] void syntaxError(Log& log, const char* text) {
    log.debug(1, text, {});
    VELMAR_THROW(ConfigException, ConfigException::CF_CONF, "");
}

std::unique_ptr<DOMNode> newNode(const std::string& name) {
    try {
        return std::make_unique<DOMNode>(name);
    } catch (const std::bad_alloc&) {
        VELMAR_THROW(ConfigException, ConfigException::CF_MEM, "");
    }
}

}  // namespace

bool parseEntries(Tokenizer& tokenizer, DOMNode& parent, Log& log, uint32_t depth) {
    State state = State::Name;
    std::unique_ptr<DOMNode> node;
    Token token;
    while (nextGrammarToken(tokenizer, token)) {
        const std::string& text = token.text();
        switch (state) {
            case State::Name:
                if (text == "}") return false;
                node = newNode(text);
                state = State::OpenParen;
                break;
            case State::OpenParen:
                if (text != "(") syntaxError(log, "ConfReader: Missing '('.");
                state = State::Type;
                break;
            case State::Type:
                if (text == ")") {
                    state = State::Equals;
                } else {
                    node->setType(text);
                    state = State::CloseParen;
                }
                break;
            case State::CloseParen:
                if (text != ")") syntaxError(log, "ConfReader: Missing ')'.");
                state = State::Equals;
                break;
            case State::Equals:
                if (text != "=") syntaxError(log, "ConfReader: Missing '='.");
                state = State::Value;
                break;
            case State::Value: {
                std::string value = text;
                unquote(value);
                if (!value.empty()) node->setValue(value);
                state = State::OpenBrace;
                break;
            }
            case State::OpenBrace: {
                if (text != "{") syntaxError(log, "ConfReader: Missing '{'.");
                if (depth >= kMaxConfNesting)
                    syntaxError(log, "ConfReader: Blocks nested too deeply.");
                const bool ranOut = parseEntries(tokenizer, *node, log, depth + 1);
                parent.addChild(std::move(node));
                // A block closed by "}" ends the entry; one cut off by the end of
                // the text leaves nothing more to read.
                state = ranOut ? State::OpenBrace : State::Name;
                break;
            }
        }
    }
    return true;
}

void buildTreeFromText(const std::string& text, const std::string& fileName,
                       std::unique_ptr<DOMNode>& root, Log& log) {
    ConfSearcher searcher;
    Tokenizer tokenizer(&text, &searcher);
    try {
        root.reset();
        root = newNode("Root");
        parseEntries(tokenizer, *root, log);
        log.debug(2, "ConfReader: DOM tree built.", {});
    } catch (ConfigException& e) {
        e.addTrace(__FILE__, __LINE__);
        const int32_t line =
            1 + static_cast<int32_t>(countChar('\n', text, 0, tokenizer.position()));
        log.message(kSeverityError, ConfMessage::kSyntaxError, {fileName, e.text()});
        log.debug(1, "ConfReader: %s, line %i.", {e.text(), line});
    } catch (const std::bad_alloc&) {
        ConfigException e(ConfigException::CF_MEM, "", __FILE__, __LINE__);
        log.message(kSeverityError, ConfMessage::kSyntaxError, {fileName, e.text()});
    }
}

}  // namespace Velmar
