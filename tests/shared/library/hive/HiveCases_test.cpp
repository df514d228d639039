// Exact cases of the hive reader over hives written by the test writer: every
// cell kind, and the damage a hostile file can hold.
#include "tests/support/HiveSupport.h"

#include "shared/library/hive/Hive.h"
#include "shared/library/hive/HiveLog.h"
#include "shared/library/hive/HiveWalk.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace Velmar::hive;
using namespace testing::hive;

class Collect : public HiveVisitor {
public:
    void key(const std::u16string& path, const std::u16string&,
             const std::vector<Value>& values) override {
        paths.push_back(utf8(path));
        for (const Value& value : values) {
            if (value.data.size() > 1000) big.push_back(value.data);
        }
    }
    std::vector<std::string> paths;
    std::vector<Bytes> big;
};

void expectSameAsHivex(const Bytes& bytes, const std::string& name) {
    if (!haveHivexregedit()) return;
    const auto dir = std::filesystem::temp_directory_path() / "stocksweep-hive-cases";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / name).string();
    writeFile(path, bytes);
    EXPECT_EQ(exportListing(Hive(bytes)), hivexExport(path)) << name;
    std::filesystem::remove_all(dir);
}

Bytes pattern(size_t size) {
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 251);
    return data;
}

// Every cell kind: subkeys in "lf", "lh", "li" and an "ri" of two leaves;
// names compressed and in UTF-16; data in the value cell (up to four bytes),
// in a data cell, empty, and in big data.
Bytes everyCellKind(uint32_t minor) {
    HiveWriter w(minor);
    const uint32_t a = w.key("Alpha", true, 0, 0, 0, 0);
    const uint32_t b = w.key("Beta", true, 0, 0, 0, 0);
    const uint32_t c = w.key("Gamma", true, 0, 0, 0, 0);
    const uint32_t d = w.key("Delta", true, 0, 0, 0, 0);
    const uint32_t lf = w.key("Fast", true, w.list("lf", {a}), 1, 0, 0);
    const uint32_t li = w.key("Index", true, w.list("li", {b}), 1, 0, 0);
    const uint32_t ri =
        w.key("Root", true, w.list("ri", {w.list("lh", {c}), w.list("li", {d})}), 2, 0, 0);
    const std::vector<uint32_t> values = {
        w.value("Path", true, kTypeSz, szData("C:\\App\\app.exe")),
        w.value("Wert \xC3\xA4\xE2\x82\xAC", false, kTypeExpandSz, szData("%APPDATA%\\x.exe")),
        w.value("Count", true, 4, {1, 2, 3, 4}),
        w.value("Two", true, 3, {0xAB, 0xCD}),
        w.value("", true, kTypeSz, {}),
        w.value("Big", true, 3, pattern(40000)),
    };
    const uint32_t wide = w.key("Schl\xC3\xBCssel\xE2\x82\xAC", false, 0, 0, w.valueList(values),
                                static_cast<uint32_t>(values.size()));
    w.setRoot(w.key("ROOT", true, w.list("lh", {lf, li, ri, wide}), 4, 0, 0));
    return w.bytes();
}

TEST(HiveReader, ReadsEveryCellKind) {
    const Bytes bytes = everyCellKind(5);
    Collect collect;
    const WalkCounts counts = walkHive(Hive(bytes), collect);
    EXPECT_EQ(counts.keys, 9u);
    EXPECT_EQ(counts.values, 6u);
    EXPECT_EQ(counts.damaged, 0u);
    const std::vector<std::string> order = {"",
                                            "Fast",
                                            "Fast\\Alpha",
                                            "Index",
                                            "Index\\Beta",
                                            "Root",
                                            "Root\\Gamma",
                                            "Root\\Delta",
                                            "Schl\xC3\xBCssel\xE2\x82\xAC"};
    EXPECT_EQ(collect.paths, order);
    ASSERT_EQ(collect.big.size(), 1u);
    EXPECT_EQ(collect.big[0], pattern(40000));
    // The big value's listing line alone is 120,000 characters; the rest whole.
    std::string listing = exportListing(Hive(bytes));
    const size_t big = listing.find("\"Big\"=hex(3):");
    ASSERT_NE(big, std::string::npos);
    listing.erase(big, listing.find('\n', big) + 1 - big);
    EXPECT_EQ(
        listing,
        "Windows Registry Editor Version 5.00\n\n"
        "[\\]\n\n[\\Fast]\n\n[\\Fast\\Alpha]\n\n[\\Index]\n\n[\\Index\\Beta]\n\n"
        "[\\Root]\n\n[\\Root\\Delta]\n\n[\\Root\\Gamma]\n\n"
        "[\\Schl\xC3\xBCssel\xE2\x82\xAC]\n"
        "@=hex(1):\n"
        "\"Count\"=dword:04030201\n"
        "\"Path\"=hex(1):43,00,3a,00,5c,00,41,00,70,00,70,00,5c,00,61,00,70,00,70,00,2e,00,"
        "65,00,78,00,65,00,00,00\n"
        "\"Two\"=hex(3):ab,cd\n"
        "\"Wert \xC3\xA4\xE2\x82\xAC\"=hex(2):25,00,41,00,50,00,50,00,44,00,41,00,54,00,41,00,"
        "25,00,5c,00,78,00,2e,00,65,00,78,00,65,00,00,00\n\n");
    expectSameAsHivex(bytes, "every-cell-kind.dat");
}

// The reader fills the values of each key into the room of the key before:
// nothing of that key's data may stay, whether the value now has no data, or
// data in big data that is built up piece by piece.
TEST(HiveReader, AKeysValuesCarryNothingOfTheKeyBefore) {
    HiveWriter w(5);
    Bytes other = pattern(40000);
    for (uint8_t& byte : other) byte = static_cast<uint8_t>(byte ^ 0x5A);
    const auto key = [&](const char* name, const Bytes& first, const Bytes& big) {
        const std::vector<uint32_t> values = {w.value("First", true, 3, first),
                                              w.value("Big", true, 3, big)};
        return w.key(name, true, 0, 0, w.valueList(values), 2);
    };
    const uint32_t a = key("A", {1, 2, 3, 4, 5, 6}, pattern(40000));
    const uint32_t b = key("B", {}, other);
    w.setRoot(w.key("ROOT", true, w.list("lh", {a, b}), 2, 0, 0));
    const Bytes bytes = w.bytes();

    class Sizes : public HiveVisitor {
    public:
        void key(const std::u16string& path, const std::u16string&,
                 const std::vector<Value>& values) override {
            for (const Value& value : values) {
                seen += utf8(path) + "\\" + utf8(value.name) + "=" +
                        std::to_string(value.data.size()) + " ";
                if (value.data.size() > 1000) big.push_back(value.data);
            }
        }
        std::string seen;
        std::vector<Bytes> big;
    } sizes;
    walkHive(Hive(bytes), sizes);
    EXPECT_EQ(sizes.seen, "A\\First=6 A\\Big=40000 B\\First=0 B\\Big=40000 ");
    ASSERT_EQ(sizes.big.size(), 2u);
    EXPECT_EQ(sizes.big[1], other);
    expectSameAsHivex(bytes, "values-of-two-keys.dat");
}

TEST(HiveReader, BigDataOnlyFromFormatOneFour) {
    // Format 1.3 keeps long data in one cell; 1.4 and later split it.
    for (uint32_t minor : {3u, 4u, 6u}) {
        Collect collect;
        walkHive(Hive(everyCellKind(minor)), collect);
        ASSERT_EQ(collect.big.size(), 1u) << minor;
        EXPECT_EQ(collect.big[0], pattern(40000)) << minor;
    }
}

struct DamageCase {
    const char* what;
    std::function<Bytes()> make;
    size_t keys;
    size_t values;
    size_t damaged;
    bool hivexReads;  // the independent reader opens it and must agree
};

Bytes chain(size_t depth) {
    HiveWriter w;
    uint32_t below = 0;
    for (size_t i = 0; i < depth; ++i) {
        below = i == 0 ? w.key("k", true, 0, 0, 0, 0)
                       : w.key("k", true, w.list("lh", {below}), 1, 0, 0);
    }
    w.setRoot(w.key("ROOT", true, w.list("lh", {below}), 1, 0, 0));
    return w.bytes();
}

const std::vector<DamageCase>& damageCases() {
    static const std::vector<DamageCase> cases = {
        {"a cycle: a key lists its own parent",
         [] {
             HiveWriter w;
             // The root is written last, so a subkey's list names where it will be.
             const uint32_t child = w.key("child", true, 0, 1, 0, 0);
             const uint32_t list = w.list("lh", {child});
             const uint32_t root = w.key("ROOT", true, list, 1, 0, 0);
             w.patch(child + 4 + 28, w.list("li", {root}));
             w.setRoot(root);
             return w.bytes();
         },
         2, 0, 1, false},
        {"a shared subtree: two keys list the same subkey",
         [] {
             HiveWriter w;
             const uint32_t shared = writeTree(w, {"shared", {}, {{"below", {}, {}}}});
             const uint32_t a = w.key("a", true, w.list("lh", {shared}), 1, 0, 0);
             const uint32_t b = w.key("b", true, w.list("lh", {shared}), 1, 0, 0);
             w.setRoot(w.key("ROOT", true, w.list("lh", {a, b}), 2, 0, 0));
             return w.bytes();
         },
         // The independent reader lists the shared subtree twice.
         5, 0, 1, false},
        {"512 levels below the root are walked", [] { return chain(512); }, 513, 0, 0, true},
        {"the 513th level is not", [] { return chain(513); }, 513, 0, 1, false},
        {"bins cut short: the cells past the end are damaged",
         [] {
             HiveWriter w;
             const uint32_t first = w.key("first", true, 0, 0, 0, 0);
             const uint32_t list = w.list("lh", {first, 0});
             const uint32_t root = w.key("ROOT", true, list, 2, 0, 0);
             const uint32_t last = w.key("last", true, 0, 0, 0, 0);
             w.patch(list + 4 + 12, last);
             w.setRoot(root);
             Bytes bytes = w.bytes();
             bytes.resize(4096 + last + 40);
             return bytes;
         },
         2, 0, 1, false},
        {"offsets past the end: subkey list, value list, value, data, big data",
         [] {
             HiveWriter w;
             const uint32_t noList = w.key("noList", true, 0x7FFFFFF0u, 3, 0, 0);
             const uint32_t ok = w.value("ok", true, kTypeSz, szData("a.exe"));
             const uint32_t badData = w.value("badData", true, kTypeSz, szData("b.exe"));
             w.patch(badData + 4 + 8, 0xFFFFFFF0u);
             // Big data whose segments lie far out.
             Bytes db = {'d', 'b', 2, 0, 0, 0, 0, 0};
             const uint32_t segments = w.valueList({0x7FFFFFF0u, 0x7FFFFFF0u});
             for (int i = 0; i < 4; ++i) db[4 + i] = static_cast<uint8_t>(segments >> (8 * i));
             const uint32_t badBig = w.value("badBig", true, 3, {});
             w.patch(badBig + 4 + 4, 20000);
             w.patch(badBig + 4 + 8, w.cell(db));
             const uint32_t values = w.valueList({ok, 0x00FFFFF8u, badData, badBig});
             const uint32_t vals = w.key("vals", true, 0, 0, values, 4);
             const uint32_t noValues = w.key("noValues", true, 0, 0, 0x7FFFFFF0u, 2);
             w.setRoot(w.key("ROOT", true, w.list("lh", {noList, vals, noValues}), 3, 0, 0));
             return w.bytes();
         },
         4, 3, 5, false},
        {"lengths past the end: a name longer than its cell, counts beyond their lists",
         [] {
             HiveWriter w;
             const uint32_t longName = w.key("long", true, 0, 0, 0, 0);
             w.patch(longName + 4 + 72, 0xFFFFu);
             const uint32_t subKeys = w.list("lh", {longName});
             w.patch(subKeys + 4, 'l' | 'h' << 8 | 0xFFFFu << 16);
             const uint32_t values = w.valueList({w.value("v", true, 3, {1})});
             const uint32_t many = w.key("many", true, subKeys, 1, values, 3);
             w.setRoot(w.key("ROOT", true, w.list("lh", {longName, many}), 2, 0, 0));
             return w.bytes();
         },
         2, 1, 3, false},
    };
    return cases;
}

TEST(HiveReader, DamageSkipsThePartBehindItAndIsCounted) {
    for (const DamageCase& c : damageCases()) {
        const Bytes bytes = c.make();
        Collect collect;
        const WalkCounts counts = walkHive(Hive(bytes), collect);
        EXPECT_EQ(counts.keys, c.keys) << c.what;
        EXPECT_EQ(counts.values, c.values) << c.what;
        EXPECT_EQ(counts.damaged, c.damaged) << c.what;
        if (c.hivexReads) expectSameAsHivex(bytes, "damage.dat");
    }
}

TEST(HiveReader, RefusesWhatIsNotAHiveOfAKnownFormat) {
    Bytes notHive = everyCellKind(5);
    notHive[0] = 'R';
    Bytes cut = everyCellKind(5);
    cut.resize(4095);
    Bytes baseOnly = everyCellKind(5);
    baseOnly.resize(4096);
    const std::vector<std::pair<Bytes, HiveStatus>> cases = {
        {everyCellKind(2), HiveStatus::kVersion}, {everyCellKind(7), HiveStatus::kVersion},
        {everyCellKind(3), HiveStatus::kOk},      {everyCellKind(6), HiveStatus::kOk},
        {notHive, HiveStatus::kNoBaseBlock},      {cut, HiveStatus::kNoBaseBlock},
        {baseOnly, HiveStatus::kNoHiveBins},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(Hive(cases[i].first).status(), cases[i].second) << i;
    }
}

}  // namespace
