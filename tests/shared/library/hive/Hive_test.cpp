#include "tests/support/HiveSupport.h"

#include "shared/library/hive/Hive.h"
#include "shared/library/hive/HiveLog.h"
#include "shared/library/hive/HiveWalk.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace Velmar::hive;
using namespace testing::hive;

class CountOnly : public HiveVisitor {
public:
    void key(const std::u16string&, const std::u16string&, const std::vector<Value>&) override {}
};

WalkCounts countsOf(const Bytes& bytes) {
    CountOnly visitor;
    return walkHive(Hive(bytes), visitor);
}

std::string listingOf(const Bytes& bytes) { return exportListing(Hive(bytes)); }

// A scratch folder of its own for files the independent reader reads.
std::string scratchFile(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() / "stocksweep-hive-tests";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

// The hive's listing against the independent reader's of the same bytes.
void expectSameAsHivex(const Bytes& bytes, const std::string& name, bool unsafe = false) {
    if (!haveHivexregedit()) return;
    const std::string path = scratchFile(name);
    writeFile(path, bytes);
    EXPECT_EQ(listingOf(bytes), hivexExport(path, unsafe)) << name;
    std::filesystem::remove(path);
}

// Why the corpus tests cannot run here; empty when they can.
std::string corpusMissing() {
    if (corpusHives().empty()) return "no ../shared/corpus/hives beside the repository";
    if (!haveHivexregedit()) return "hivexregedit is not installed (or this is a Windows build)";
    return std::string();
}

TEST(HiveCorpus, CleanAndDirtyHivesListAsTheIndependentReaderListsThem) {
    if (!corpusMissing().empty()) GTEST_SKIP() << corpusMissing();
    for (const char* name : {"NTUSER.DAT", "NTUSER_with_winscp.DAT"}) {
        const std::string path = corpusHives() + name;
        const std::string listing = listingOf(readFile(path));
        EXPECT_EQ(listing, hivexExport(path)) << name;
        EXPECT_GT(listing.size(), 100000u) << name;
    }
    EXPECT_EQ(countsOf(readFile(corpusHives() + "NTUSER.DAT")).keys, 1812u);
    EXPECT_EQ(countsOf(readFile(corpusHives() + "NTUSER_with_winscp.DAT")).keys, 5328u);
}

// The keys whose lines differ between two listings, with a "+" for a key only
// in the second and a "-" for one only in the first.
std::vector<std::string> changedKeys(const std::string& before, const std::string& after) {
    auto blocks = [](const std::string& listing) {
        std::set<std::string> out;
        for (size_t at = listing.find("\n["); at != std::string::npos;) {
            const size_t end = listing.find("\n\n", at + 1);
            out.insert(listing.substr(at + 1, end - at - 1));
            at = listing.find("\n[", end);
        }
        return out;
    };
    const auto a = blocks(before);
    const auto b = blocks(after);
    auto head = [](const std::string& block) { return block.substr(0, block.find('\n')); };
    std::set<std::string> aHeads, bHeads;
    for (const auto& x : a) aHeads.insert(head(x));
    for (const auto& x : b) bHeads.insert(head(x));
    std::set<std::string> changed;
    for (const auto& x : a) {
        if (!b.count(x)) changed.insert((bHeads.count(head(x)) ? "~" : "-") + head(x));
    }
    for (const auto& x : b) {
        if (!a.count(x) && !aHeads.count(head(x))) changed.insert("+" + head(x));
    }
    return std::vector<std::string>(changed.begin(), changed.end());
}

TEST(HiveCorpus, BothLogsBringTheDirtyClassesHiveUpToDate) {
    if (!corpusMissing().empty()) GTEST_SKIP() << corpusMissing();
    const std::string base = corpusHives() + "UsrClass.dat";
    const Bytes primary = readFile(base);
    Bytes recovered = primary;
    const Recovery recovery =
        recoverHive(recovered, {readFile(base + ".LOG1"), readFile(base + ".LOG2")});
    EXPECT_TRUE(recovery.dirty);
    EXPECT_TRUE(recovery.recovered);
    EXPECT_EQ(recovery.entries, 14u);  // 0x11F to 0x122 in LOG1, 0x123 to 0x12C in LOG2

    const WalkCounts counts = countsOf(recovered);
    EXPECT_EQ(counts.damaged, 0u);
    EXPECT_EQ(counts.keys, 6238u);
    EXPECT_EQ(countsOf(primary).keys, 6205u);
    // The independent reader reads the primary file, and the recovered bytes
    // written out, as this reader does.
    EXPECT_EQ(listingOf(primary), hivexExport(base));
    expectSameAsHivex(recovered, "UsrClass-recovered.dat");
    // What the logs change, key by key: 33 keys added ("+") and 14 whose
    // values differ ("~"), none removed.
    std::string changed;
    for (const std::string& line : changedKeys(listingOf(primary), listingOf(recovered))) {
        changed += line + "\n";
    }
    const Bytes expected =
        readFile(STOCKSWEEP_SOURCE_DIR "/tests/shared/library/hive/UsrClass-log-changes.txt");
    EXPECT_EQ(changed, std::string(expected.begin(), expected.end()));
}

TEST(HiveCorpus, DamagedHiveWalksItsSoundPartAndCountsTheRest) {
    if (!corpusMissing().empty()) GTEST_SKIP() << corpusMissing();
    const std::string path = corpusHives() + "corrupted_SYSTEM";
    const Bytes bytes = readFile(path);
    const WalkCounts counts = countsOf(bytes);
    EXPECT_EQ(counts.keys, 1687u);
    EXPECT_EQ(counts.values, 5625u);
    EXPECT_EQ(counts.damaged, 176u);
    // The independent reader refuses the file unless told to skip what it
    // cannot read; then it walks the same keys. Values differ by design: it
    // drops a value whose data it cannot read, this reader keeps its name
    // (which may name an executable) and counts the data as damaged.
    EXPECT_EQ(hivexExport(path), "");
    auto keyLines = [](const std::string& listing) {
        std::string keys;
        for (size_t at = listing.find("\n["); at != std::string::npos;
             at = listing.find("\n[", at + 1)) {
            keys += listing.substr(at + 1, listing.find('\n', at + 1) - at);
        }
        return keys;
    };
    const std::string hivex = hivexExport(path, true);
    EXPECT_EQ(keyLines(listingOf(bytes)), keyLines(hivex));
    EXPECT_GT(keyLines(hivex).size(), 10000u);
}

}  // namespace
