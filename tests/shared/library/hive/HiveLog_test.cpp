// Bringing a dirty hive up to date from its logs, over hives and logs that the
// test writer makes: the primary holds one text, the logs bring another.
#include "tests/support/HiveSupport.h"

#include "shared/library/hive/Hive.h"
#include "shared/library/hive/HiveLog.h"
#include "shared/library/hive/HiveWalk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace Velmar::hive;
using namespace testing::hive;

// The same layout each time, so that only the text's bytes differ.
Bytes hiveWith(const std::string& text, uint32_t primary, uint32_t secondary) {
    HiveWriter w;
    w.setSequences(primary, secondary);
    w.setRoot(writeTree(w, {"ROOT", {}, {{"Run", {{"app", kTypeSz, szData(text)}}, {}}}}));
    return w.bytes();
}

// The text of the one value, as the hive gives it.
std::string textOf(const Bytes& bytes) {
    class Text : public HiveVisitor {
    public:
        void key(const std::u16string&, const std::u16string&,
                 const std::vector<Value>& values) override {
            for (const Value& v : values) {
                for (size_t i = 0; i + 1 < v.data.size() && v.data[i]; i += 2)
                    text += char(v.data[i]);
            }
        }
        std::string text;
    } visitor;
    walkHive(Hive(bytes), visitor);
    return visitor.text;
}

// One entry holding the whole bins of `changed`.
LogEntry entryOf(const Bytes& changed, uint32_t sequence) {
    return {sequence,
            static_cast<uint32_t>(changed.size() - 4096),
            {{0, Bytes(changed.begin() + 4096, changed.end())}}};
}

struct LogCase {
    const char* what;
    std::vector<std::vector<LogEntry>> logs;  // LOG1's entries, LOG2's
    bool spoilLog1Hash;
    bool recovered;
    size_t entries;
    const char* text;
};

TEST(HiveLogs, NewFormatEntriesApplyInSequenceOrder) {
    const Bytes a = hiveWith("a.exe", 2, 1);
    const Bytes b = hiveWith("b.exe", 2, 1);
    const Bytes c = hiveWith("c.exe", 2, 1);
    const std::vector<LogCase> cases = {
        {"one entry", {{entryOf(b, 2)}}, false, true, 1, "b.exe"},
        {"LOG2 holds the earlier entry: numbers, not files, give the order",
         {{entryOf(c, 3)}, {entryOf(b, 2)}},
         false,
         true,
         2,
         "c.exe"},
        {"entries older than the primary are not applied",
         {{entryOf(c, 1), entryOf(b, 2)}},
         false,
         true,
         1,
         "b.exe"},
        {"a gap in the numbers stops the recovery",
         {{entryOf(b, 2), entryOf(c, 4)}},
         false,
         true,
         1,
         "b.exe"},
        {"an entry that fails its hash is not used; the other log's still are",
         {{entryOf(c, 2)}, {entryOf(b, 3)}},
         true,
         true,
         1,
         "b.exe"},
        {"the only log fails its hash", {{entryOf(b, 2), entryOf(c, 3)}}, true, false, 0, "a.exe"},
        {"no usable log: the primary as it is", {}, false, false, 0, "a.exe"},
    };
    for (const LogCase& c : cases) {
        std::vector<Bytes> logs;
        for (const auto& entries : c.logs) logs.push_back(newFormatLog(a, entries));
        if (c.spoilLog1Hash) logs[0][512 + 40 + 8 + 100] ^= 1;
        Bytes bytes = a;
        const Recovery recovery = recoverHive(bytes, logs);
        EXPECT_TRUE(recovery.dirty) << c.what;
        EXPECT_EQ(recovery.recovered, c.recovered) << c.what;
        EXPECT_EQ(recovery.entries, c.entries) << c.what;
        EXPECT_EQ(textOf(bytes), c.text) << c.what;
        // A recovered hive is clean afterwards.
        BaseBlock base;
        ASSERT_TRUE(readBaseBlock(ByteReader(bytes.data(), bytes.size()), base));
        EXPECT_EQ(base.primarySequence == base.secondarySequence && base.checksumOk, c.recovered)
            << c.what;
    }
}

TEST(HiveLogs, CleanHiveIgnoresItsLogs) {
    const Bytes clean = hiveWith("a.exe", 2, 2);
    Bytes bytes = clean;
    const Recovery recovery =
        recoverHive(bytes, {newFormatLog(clean, {entryOf(hiveWith("b.exe", 2, 2), 2)})});
    EXPECT_FALSE(recovery.dirty);
    EXPECT_FALSE(recovery.recovered);
    EXPECT_EQ(bytes, clean);
}

TEST(HiveLogs, DirtyVectorAppliesOnlyToThePrimaryOfItsTime) {
    const Bytes a = hiveWith("a.exe", 2, 1);
    const Bytes b = hiveWith("b.exe", 2, 1);
    Bytes bytes = a;
    Recovery recovery = recoverHive(bytes, {Bytes(), dirtyVectorLog(a, b)});
    EXPECT_TRUE(recovery.recovered);
    EXPECT_EQ(textOf(bytes), "b.exe");

    // A log written at another time than the primary's base block.
    Bytes other = dirtyVectorLog(a, b);
    other[12] ^= 1;
    other[508] ^= 1;  // the checksum follows the change
    bytes = a;
    recovery = recoverHive(bytes, {other});
    EXPECT_FALSE(recovery.recovered);
    EXPECT_EQ(textOf(bytes), "a.exe");

    // A dirty vector whose pages are not all in the log changes nothing.
    Bytes cut = dirtyVectorLog(a, b);
    cut.resize(cut.size() - 1);
    bytes = a;
    EXPECT_FALSE(recoverHive(bytes, {cut}).recovered);
    EXPECT_EQ(bytes, a);
}

}  // namespace
