#include "shared/library/system/RegistryKey.h"

#include "tests/support/WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Velmar {
namespace {

using testing::ScratchKey;

struct Listed {
    std::string name;
    DWORD type;
    bool hasData;
    std::string data;
    bool operator==(const Listed& o) const {
        return name == o.name && type == o.type && hasData == o.hasData && data == o.data;
    }
};

std::ostream& operator<<(std::ostream& out, const Listed& v) {
    return out << "{" << v.name.substr(0, 20) << " (" << v.name.size() << "), " << v.type << ", "
               << v.hasData << ", " << v.data.size() << " bytes}";
}

// Every value the iterator gives for `key`, in listing order.
std::vector<Listed> list(ValueIterator& values, HKEY key) {
    std::vector<Listed> listed;
    values.reset(key);
    while (values.next()) {
        listed.push_back({values.name(), values.type(), values.hasData(),
                          std::string(values.data(), values.dataSize())});
    }
    EXPECT_EQ(values.result(), ERROR_SUCCESS);
    return listed;
}

RegistryKey openKey(const ScratchKey& scratch, const std::string& sub) {
    RegistryKey key;
    EXPECT_EQ(key.open(scratch.root(), sub.empty() ? scratch.path() : scratch.sub(sub), KEY_READ,
                       RegistryView::kOwn),
              ERROR_SUCCESS);
    return key;
}

// One listing gives every value with its data, whatever the sizes: a value
// larger than the buffer so far makes it grow, a smaller one after it is not
// given the larger one's bytes, a long name fits, and the buffers carry over
// to the next key. Names sort the same in insertion and alphabetical order, so
// the order holds on every registry.
TEST(RegistryKey, ValueIteratorGivesNamesTypesAndDataInOneListing) {
    ScratchKey scratch("StocksweepRegKey");
    const std::string big(70000, 'B');
    const std::string longName = "n" + std::string(5000, 'x');
    const DWORD number = 0x01020304;
    scratch.setString("", "", "default");
    scratch.setBytes("", "b-big", REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
    scratch.setBytes("", "c-small", REG_BINARY, "abc", 3);
    scratch.setBytes("", "d-multi", REG_MULTI_SZ, "x\0y\0\0", 5);
    scratch.setBytes("", "e-dword", REG_DWORD, &number, sizeof(number));
    scratch.setBytes("", "f-empty", REG_SZ, "", 0);
    scratch.setString("", longName, "after a long name");
    scratch.setString("second", "only", "second key");
    const std::string dword(reinterpret_cast<const char*>(&number), sizeof(number));
    const std::vector<Listed> expected = {
        {"", REG_SZ, true, std::string("default", 8)},
        {"b-big", REG_BINARY, true, big},
        {"c-small", REG_BINARY, true, "abc"},
        {"d-multi", REG_MULTI_SZ, true, std::string("x\0y\0\0", 5)},
        {"e-dword", REG_DWORD, true, dword},
        {"f-empty", REG_SZ, true, ""},
        {longName, REG_SZ, true, std::string("after a long name", 18)},
    };

    RegistryKey key = openKey(scratch, "");
    ValueIterator values;
    EXPECT_EQ(list(values, key.get()), expected);
    RegistryKey second = openKey(scratch, "second");
    EXPECT_EQ(list(values, second.get()),
              (std::vector<Listed>{{"only", REG_SZ, true, std::string("second key", 11)}}));
    // A key without values.
    RegistryKey empty;
    ASSERT_EQ(
        empty.create(scratch.root(), scratch.sub("second\\empty"), KEY_READ, RegistryView::kOwn),
        ERROR_SUCCESS);
    EXPECT_TRUE(list(values, empty.get()).empty());

    // Beyond the data limit a value comes by name and type alone; names only
    // never read data.
    ValueIterator limited(ValueIterator::Content::kNamesAndData, 1000);
    std::vector<Listed> withoutBig = expected;
    withoutBig[1] = {"b-big", REG_BINARY, false, ""};
    EXPECT_EQ(list(limited, key.get()), withoutBig);
    ValueIterator names(ValueIterator::Content::kNamesOnly);
    std::vector<Listed> namesOnly;
    for (const Listed& v : expected) namesOnly.push_back({v.name, v.type, false, ""});
    EXPECT_EQ(list(names, key.get()), namesOnly);

    // Text: trailing zeros gone, zeros between strings kept, nothing from a
    // value that is not text or has no data.
    std::vector<std::string> texts;
    values.reset(key.get());
    while (values.next()) {
        std::string text = "untouched";
        values.text(text);
        texts.push_back(text);
    }
    limited.reset(key.get());
    std::string text = "untouched";
    ASSERT_TRUE(limited.next());
    ASSERT_TRUE(limited.next());
    EXPECT_FALSE(limited.text(text));
    EXPECT_EQ(texts,
              (std::vector<std::string>{"default", "untouched", "untouched", std::string("x\0y", 3),
                                        "untouched", "", "after a long name"}));
    EXPECT_EQ(text, "untouched");
}

TEST(RegistryKey, SubKeyIteratorListsEveryNameAndReportsFailure) {
    ScratchKey scratch("StocksweepRegKey");
    const std::string longest(255, 'k');
    for (const std::string& name : {std::string("a"), std::string("b/c.exe"), longest}) {
        scratch.setString(name, "v", "x");
    }
    scratch.setString("a\\grandchild", "v", "x");
    RegistryKey key = openKey(scratch, "");
    RegistryKey leaf = openKey(scratch, "b/c.exe");
    SubKeyIterator subKeys;
    std::vector<std::string> names;
    for (HKEY listed : {key.get(), leaf.get()}) {
        subKeys.reset(listed);
        while (subKeys.next()) names.push_back(subKeys.name());
        EXPECT_EQ(subKeys.result(), ERROR_SUCCESS);
        names.push_back("|");
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b/c.exe", longest, "|", "|"}));

    // A sub-key opened from its parent by its own name.
    RegistryKey child;
    EXPECT_EQ(child.open(key.get(), "a", KEY_READ, RegistryView::kOwn), ERROR_SUCCESS);
    SubKeyIterator grandchildren(child.get());
    ASSERT_TRUE(grandchildren.next());
    EXPECT_EQ(grandchildren.name(), "grandchild");
    EXPECT_FALSE(grandchildren.next());

    // A handle that cannot list says so, and stays at its end.
    RegistryKey valuesOnly;
    ASSERT_EQ(valuesOnly.open(scratch.root(), scratch.path(), KEY_QUERY_VALUE, RegistryView::kOwn),
              ERROR_SUCCESS);
    SubKeyIterator denied(valuesOnly.get());
    EXPECT_FALSE(denied.next());
    EXPECT_EQ(denied.result(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(denied.next());
    RegistryKey keysOnly;
    ASSERT_EQ(
        keysOnly.open(scratch.root(), scratch.path(), KEY_ENUMERATE_SUB_KEYS, RegistryView::kOwn),
        ERROR_SUCCESS);
    ValueIterator valuesDenied(keysOnly.get());
    EXPECT_FALSE(valuesDenied.next());
    EXPECT_EQ(valuesDenied.result(), ERROR_ACCESS_DENIED);
}

}  // namespace
}  // namespace Velmar
