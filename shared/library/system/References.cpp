#include "shared/library/system/References.h"

namespace Velmar {

ReferenceSource::~ReferenceSource() = default;

namespace {

const char kOpen[] = "${";
constexpr size_t kOpenLength = 2;
// "${" followed by at least one name character and "}".
constexpr size_t kShortestReference = 4;

struct Resolution {
    ReferenceSource& source;
    size_t readsLeft;
};

void resolveAt(std::string& text, Resolution& resolution, unsigned depth) {
    if (depth >= kMaxReferenceDepth) return;
    size_t open = text.find(kOpen);
    while (open != std::string::npos && open + kShortestReference <= text.size()) {
        const size_t close = text.find('}', open + kOpenLength);
        if (close == std::string::npos) return;
        size_t next = close;
        const size_t referenceLength = close - open + 1;
        std::string value;
        if (resolution.readsLeft > 0) {
            --resolution.readsLeft;
            const std::string name = text.substr(open + kOpenLength, close - open - kOpenLength);
            if (resolution.source.readRaw(name, value)) {
                resolveAt(value, resolution, depth + 1);
                if (text.size() - referenceLength + value.size() <= kMaxResolvedLength) {
                    text.replace(open, referenceLength, value);
                    next = open + value.size();
                }
            }
        }
        open = text.find(kOpen, next);
    }
}

}  // namespace

void resolveReferences(std::string& text, ReferenceSource& source) {
    Resolution resolution{source, kMaxReferenceReads};
    resolveAt(text, resolution, 0);
}

}  // namespace Velmar
