#include "shared/library/system/References.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace Velmar {
namespace {

struct MapSource : ReferenceSource {
    using Values = std::map<std::string, std::string>;
    explicit MapSource(Values values) : values(std::move(values)) {}
    bool readRaw(const std::string& name, std::string& text) override {
        reads.push_back(name);
        auto it = values.find(name);
        if (it == values.end()) return false;
        text = it->second;
        return true;
    }
    Values values;
    std::vector<std::string> reads;
};

std::string resolved(std::string text, MapSource& source) {
    resolveReferences(text, source);
    return text;
}

TEST(References, ReadableReplacedUnreadableKept) {
    MapSource source(MapSource::Values{{"Other", "C:\\Velmar"},
                                       {"Nested", "${Other}\\log"},
                                       {"Empty", ""},
                                       {"", "default"},
                                       {"Brace", "${"},
                                       {"AVeryLongReferenceName", "v"},
                                       {"B", "b"}});
    const std::pair<const char*, const char*> cases[] = {
        {"${Other}\\conf", "C:\\Velmar\\conf"},
        {"${Nested}", "C:\\Velmar\\log"},
        {"a${Missing}b${Other}", "a${Missing}bC:\\Velmar"},
        {"${Empty}${Other}", "C:\\Velmar"},
        {"x${}y", "xdefaulty"},
        {"${Other", "${Other"},
        {"${Other}${", "C:\\Velmar${"},
        {"${Other}${A", "C:\\Velmar${A"},
        {"ab${}", "ab${}"},  // too close to the end to be looked at
        {"${", "${"},
        {"$", "$"},
        {"", ""},
        {"no references", "no references"},
        {"${Brace}}${Other}", "${}C:\\Velmar"},
        {"${Other}}", "C:\\Velmar}"},
        // A short value does not hide the next reference.
        {"${AVeryLongReferenceName}${B}", "vb"},
    };
    for (const auto& c : cases) EXPECT_EQ(resolved(c.first, source), c.second) << c.first;
}

TEST(References, InsertedTextIsNotScannedAgain) {
    // The value of A keeps an unreadable reference; it is not read twice.
    MapSource source(MapSource::Values{{"A", "${Missing}}"}});
    EXPECT_EQ(resolved("${A}${A}", source), "${Missing}}${Missing}}");
    EXPECT_EQ(std::count(source.reads.begin(), source.reads.end(), "Missing"), 2);
}

TEST(References, SelfAndMutualReferencesStopAtTheDepthBound) {
    MapSource self(MapSource::Values{{"A", "x${A}"}});
    EXPECT_EQ(resolved("${A}", self), std::string(kMaxReferenceDepth, 'x') + "${A}");
    EXPECT_EQ(self.reads.size(), kMaxReferenceDepth);

    MapSource mutual(MapSource::Values{{"A", "a${B}"}, {"B", "b${A}"}});
    std::string expected;
    for (unsigned i = 0; i < kMaxReferenceDepth; ++i) expected += (i % 2 == 0) ? "a" : "b";
    expected += "${A}";
    EXPECT_EQ(resolved("${A}", mutual), expected);

    MapSource direct(MapSource::Values{{"A", "${A}"}});
    EXPECT_EQ(resolved("${A}", direct), "${A}");
}

TEST(References, FanOutBoundedInReadsAndLength) {
    MapSource fan(MapSource::Values{{"A", "${A}${A}${A}${A}"}});
    const std::string text = resolved("${A}", fan);
    EXPECT_LE(fan.reads.size(), kMaxReferenceReads);
    EXPECT_LE(text.size(), kMaxResolvedLength);
    EXPECT_NE(text.find("${A}"), std::string::npos);

    MapSource big(MapSource::Values{{"Big", std::string(kMaxResolvedLength, 'b')}, {"S", "s"}});
    EXPECT_EQ(resolved("x${Big}${S}", big), "x${Big}s");
    EXPECT_EQ(resolved("${Big}", big).size(), kMaxResolvedLength);
}

}  // namespace
}  // namespace Velmar
