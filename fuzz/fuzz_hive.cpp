// Fuzz target over the registry hive reader: the whole input is a hive file,
// walked whole, and scanned as the program scans a user's hive file (the
// registry scan's walk over it as a key source, the user's Environment key
// read first); when the base block says the hive is dirty, the bytes after
// the hive bins it claims are its transaction log, and the recovered hive is
// walked too. The walks must end, and their counts stay within their bounds.
#include "app/HiveKeySource.h"
#include "app/RegistryWalk.h"
#include "app/UserEnvironment.h"
#include "fuzz/FuzzCheck.h"
#include "shared/library/common/AnsiText.h"
#include "shared/library/hive/Hive.h"
#include "shared/library/hive/HiveLog.h"
#include "shared/library/hive/HiveWalk.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace {

using namespace Velmar::hive;

class Check : public HiveVisitor {
public:
    void key(const std::u16string& path, const std::u16string& name,
             const std::vector<Value>& values) override {
        Velmar::fuzz::check(path.size() >= name.size() || path.empty(),
                            "a path ends with its name");
        for (const Value& value : values) {
            Velmar::fuzz::check(value.data.size() <= kMaxValueSize,
                                "a value stays within its bound");
            Velmar::fuzz::check(value.dataRead || value.data.empty(), "unread data is empty");
        }
        ++keys;
    }
    size_t keys = 0;
};

void walk(const std::vector<uint8_t>& bytes) {
    const Hive hive(bytes);
    Check check;
    const WalkCounts counts = walkHive(hive, check);
    Velmar::fuzz::check(counts.keys == check.keys, "every key admitted is given");
    Velmar::fuzz::check(counts.keys <= kMaxKeysPerHive, "keys stay within their bound");
    Velmar::fuzz::check(counts.values <= kMaxValuesPerHive, "values stay within their bound");
    // Each key walked starts at its own offset inside the bins.
    Velmar::fuzz::check(counts.keys <= hive.binsHeld(), "no key is walked twice");
}

class Discard : public Velmar::Log {
public:
    int32_t debugLevel() const override { return 5; }
    void debug(int32_t, const char*, const Velmar::LogParams&) override {}
    void message(Velmar::Severity, int32_t, const Velmar::LogParams&) override {}
};

class Candidates : public Velmar::CandidateSink {
public:
    bool processCandidate(std::string path) override {
        Velmar::fuzz::check(path.size() <= kMaxValueSize, "a candidate is no longer than a value");
        return true;
    }
    bool processWideCandidate(const std::u16string& path) override {
        Velmar::fuzz::check(path.size() <= kMaxValueSize / 2,
                            "a candidate is no longer than a value");
        return true;
    }
};

class NoReferences : public Velmar::ReferenceSource {
public:
    bool readRaw(const std::string&, std::string&) override { return false; }
};

class Unexpanded : public Velmar::TextExpander {
public:
    std::string expand(const std::string&, const std::string& text) override { return text; }
};

void scan(const std::vector<uint8_t>& bytes) {
    const Hive hive(bytes);
    const std::string sid = "S-1-5-21-1";
    Unexpanded process;
    Velmar::UserEnvironment environment("C:\\Users\\fuzz", process);
    Velmar::HiveKeySource variables(hive, Velmar::toAnsi1252, sid);
    Velmar::readUserVariables(variables, sid + "\\Environment", environment);

    Velmar::HiveKeySource source(hive, Velmar::toAnsi1252, sid);
    std::deque<std::string> queue{sid};
    Candidates sink;
    Discard log;
    NoReferences references;
    const size_t walked = Velmar::walkRegistry(source, "HKEY_USERS", queue, sink, log,
                                               {references, environment, Velmar::toAnsi1252});
    Velmar::fuzz::check(queue.empty(), "the walk empties its queue");
    Velmar::fuzz::check(walked <= source.counts().keys, "every key walked was admitted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    walk(bytes);
    scan(bytes);

    BaseBlock base;
    if (!readBaseBlock(ByteReader(data, size), base)) return 0;
    const uint64_t end = uint64_t{kBaseBlockSize} + base.binsSize;
    if (end >= size) return 0;
    std::vector<uint8_t> log(data + end, data + size);
    bytes.resize(static_cast<size_t>(end));
    const size_t before = bytes.size();
    const Recovery recovery = recoverHive(bytes, {log});
    Velmar::fuzz::check(bytes.size() <= before + log.size() + before, "recovery stays bounded");
    Velmar::fuzz::check(recovery.dirty || !recovery.recovered, "only a dirty hive is recovered");
    walk(bytes);
    return 0;
}
