// Reference resolution of registry texts over values drawn from the input.
// Input: the text to resolve on the first line, then one "name=value" per line
// (a name may occur twice: the first one counts). Values may refer to each
// other and to themselves. Resolution must end, read a bounded number of
// values and give a bounded text.
#include "shared/library/system/References.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

namespace {

class FuzzSource : public Velmar::ReferenceSource {
public:
    explicit FuzzSource(std::map<std::string, std::string> values) : values_(std::move(values)) {}
    bool readRaw(const std::string& name, std::string& text) override {
        ++reads;
        auto it = values_.find(name);
        if (it == values_.end()) return false;
        text = it->second;
        return true;
    }
    size_t reads = 0;

private:
    std::map<std::string, std::string> values_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t end = input.find('\n');
    std::string text = input.substr(0, end);
    std::map<std::string, std::string> values;
    while (end != std::string::npos) {
        const size_t start = end + 1;
        end = input.find('\n', start);
        const std::string line = input.substr(start, end == std::string::npos ? end : end - start);
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        values.emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    const std::string original = text;
    FuzzSource source(values);
    Velmar::resolveReferences(text, source);
    if (source.reads > Velmar::kMaxReferenceReads) std::abort();
    if (text.size() > std::max(original.size(), Velmar::kMaxResolvedLength)) std::abort();
    if (original.find("${") == std::string::npos && text != original) std::abort();
    return 0;
}
