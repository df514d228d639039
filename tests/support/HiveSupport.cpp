#include "tests/support/HiveSupport.h"

#include "shared/library/hive/HiveLog.h"
#include "shared/library/hive/HiveWalk.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <utility>

namespace testing {
namespace hive {

using namespace Velmar::hive;

namespace {

constexpr uint32_t kBin = 4096;
constexpr uint32_t kNone = 0xFFFFFFFFu;
constexpr uint32_t kSegment = 16344;
constexpr uint64_t kWritten = 0x01D9000000000000ull;

void put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void put64(Bytes& b, size_t at, uint64_t v) {
    put32(b, at, static_cast<uint32_t>(v));
    put32(b, at + 4, static_cast<uint32_t>(v >> 32));
}
void append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

Bytes storedName(const std::string& name, bool compressed) {
    Bytes out;
    if (compressed) {
        for (char16_t c : utf16(name)) out.push_back(static_cast<uint8_t>(c));
    } else {
        for (char16_t c : utf16(name)) {
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
        }
    }
    return out;
}

bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
}

void sealChecksum(Bytes& file) {
    put32(file, 508, baseBlockChecksum(Velmar::hive::ByteReader(file.data(), file.size())));
}

std::string hex(const Bytes& data) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i != 0) out += ',';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

std::string quoted(const std::string& name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

struct Listed {
    std::vector<std::string> names;  // the path's components, in UTF-8
    std::string block;               // the key's lines
};

class Lister : public HiveVisitor {
public:
    void key(const std::u16string& path, const std::u16string&,
             const std::vector<Value>& values) override {
        Listed listed;
        std::string text = utf8(path);
        std::string lines = "[\\" + text + "]\n";
        for (size_t start = 0; !text.empty();) {
            const size_t end = text.find('\\', start);
            listed.names.push_back(text.substr(start, end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        // By name, equal names in list order (std::sort: stable_sort's buffer
        // comes from the nothrow operator new, which a logger test replaces).
        std::vector<std::pair<std::string, const Value*>> sorted;
        for (const Value& value : values) sorted.emplace_back(utf8(value.name), &value);
        std::sort(sorted.begin(), sorted.end());
        for (const auto& [name, value] : sorted) {
            lines += name.empty() ? "@=" : quoted(name) + "=";
            if (value->type == 4 && value->data.size() == 4) {
                char dword[20];
                std::snprintf(dword, sizeof dword, "dword:%08x\n",
                              static_cast<unsigned>(value->data[0] | value->data[1] << 8 |
                                                    value->data[2] << 16 |
                                                    static_cast<uint32_t>(value->data[3]) << 24));
                lines += dword;
            } else {
                char type[24];
                std::snprintf(type, sizeof type, "hex(%x):", value->type);
                lines += type + hex(value->data) + "\n";
            }
        }
        listed.block = lines + "\n";
        keys.push_back(std::move(listed));
    }
    std::vector<Listed> keys;
};

}  // namespace

std::u16string utf16(const std::string& utf8Text) {
    std::u16string out;
    for (size_t i = 0; i < utf8Text.size();) {
        const uint8_t lead = static_cast<uint8_t>(utf8Text[i]);
        uint32_t code = lead;
        size_t extra = 0;
        if (lead >= 0xF0) {
            code = lead & 7;
            extra = 3;
        } else if (lead >= 0xE0) {
            code = lead & 15;
            extra = 2;
        } else if (lead >= 0xC0) {
            code = lead & 31;
            extra = 1;
        }
        for (size_t k = 1; k <= extra && i + k < utf8Text.size(); ++k) {
            code = code << 6 | (static_cast<uint8_t>(utf8Text[i + k]) & 63);
        }
        i += extra + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string utf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 63));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 63));
            out += static_cast<char>(0x80 | (code & 63));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 63));
            out += static_cast<char>(0x80 | (code >> 6 & 63));
            out += static_cast<char>(0x80 | (code & 63));
        }
    }
    return out;
}

Bytes szData(const std::string& utf8Text) {
    Bytes out = storedName(utf8Text, false);
    out.push_back(0);
    out.push_back(0);
    return out;
}

HiveWriter::HiveWriter(uint32_t minor, uint32_t sequence)
    : minor_(minor), primary_(sequence), secondary_(sequence) {
    // The bin's header; cells follow it.
    bins_.assign(32, 0);
    bins_[0] = 'h';
    bins_[1] = 'b';
    bins_[2] = 'i';
    bins_[3] = 'n';
}

uint32_t HiveWriter::cell(const Bytes& data) {
    const uint32_t offset = static_cast<uint32_t>(bins_.size());
    const size_t size = (4 + data.size() + 7) / 8 * 8;
    bins_.resize(offset + size, 0);
    put32(bins_, offset, static_cast<uint32_t>(-static_cast<int32_t>(size)));
    std::copy(data.begin(), data.end(), bins_.begin() + offset + 4);
    return offset;
}

uint32_t HiveWriter::key(const std::string& name, bool compressed, uint32_t subKeyList,
                         uint32_t subKeyCount, uint32_t valueList, uint32_t valueCount) {
    const Bytes stored = storedName(name, compressed);
    Bytes nk(76, 0);
    nk[0] = 'n';
    nk[1] = 'k';
    put16(nk, 2, compressed ? 0x20 : 0);
    put64(nk, 4, kWritten);
    put32(nk, 20, subKeyCount);
    put32(nk, 28, subKeyCount ? subKeyList : kNone);
    put32(nk, 32, kNone);
    put32(nk, 36, valueCount);
    put32(nk, 40, valueCount ? valueList : kNone);
    put32(nk, 44, kNone);
    put32(nk, 48, kNone);
    put16(nk, 72, static_cast<uint32_t>(stored.size()));
    append(nk, stored);
    const uint32_t offset = cell(nk);
    // Every key names its parent; the independent reader follows those names.
    std::vector<uint32_t> pending = {subKeyList};
    while (subKeyCount != 0 && !pending.empty()) {
        const uint32_t list = pending.back();
        pending.pop_back();
        for (const auto& [at, cells] : lists_) {
            if (at != list) continue;
            for (uint32_t child : cells) {
                const bool isList = std::any_of(lists_.begin(), lists_.end(),
                                                [&](const auto& l) { return l.first == child; });
                if (isList) {
                    pending.push_back(child);
                } else if (child + 4 + 20 <= bins_.size()) {
                    put32(bins_, child + 4 + 16, offset);
                }
            }
        }
    }
    return offset;
}

uint32_t HiveWriter::value(const std::string& name, bool compressed, uint32_t type,
                           const Bytes& data) {
    const Bytes stored = storedName(name, compressed);
    Bytes vk(20, 0);
    vk[0] = 'v';
    vk[1] = 'k';
    put16(vk, 2, static_cast<uint32_t>(stored.size()));
    put32(vk, 12, type);
    put16(vk, 16, compressed ? 1 : 0);
    append(vk, stored);
    const uint32_t size = static_cast<uint32_t>(data.size());
    if (size <= 4) {
        put32(vk, 4, size | 0x80000000u);
        std::copy(data.begin(), data.end(), vk.begin() + 8);
        return cell(vk);
    }
    put32(vk, 4, size);
    if (minor_ >= 4 && size > kSegment) {
        std::vector<uint32_t> segments;
        for (size_t at = 0; at < data.size(); at += kSegment) {
            const size_t end = std::min<size_t>(data.size(), at + kSegment);
            segments.push_back(cell(Bytes(data.begin() + at, data.begin() + end)));
        }
        const uint32_t listCell = valueList(segments);
        Bytes db(8, 0);
        db[0] = 'd';
        db[1] = 'b';
        put16(db, 2, static_cast<uint32_t>(segments.size()));
        put32(db, 4, listCell);
        put32(vk, 8, cell(db));
    } else {
        put32(vk, 8, cell(data));
    }
    return cell(vk);
}

uint32_t HiveWriter::list(const char* tag, const std::vector<uint32_t>& cells) {
    const bool wide = tag[1] == 'f' || tag[1] == 'h';
    Bytes data(4 + cells.size() * (wide ? 8 : 4), 0);
    data[0] = static_cast<uint8_t>(tag[0]);
    data[1] = static_cast<uint8_t>(tag[1]);
    put16(data, 2, static_cast<uint32_t>(cells.size()));
    for (size_t i = 0; i < cells.size(); ++i) put32(data, 4 + i * (wide ? 8 : 4), cells[i]);
    const uint32_t offset = cell(data);
    lists_.emplace_back(offset, cells);
    return offset;
}

uint32_t HiveWriter::valueList(const std::vector<uint32_t>& cells) {
    Bytes data(cells.size() * 4, 0);
    for (size_t i = 0; i < cells.size(); ++i) put32(data, i * 4, cells[i]);
    return cell(data);
}

void HiveWriter::patch(uint32_t offset, uint32_t value) { put32(bins_, offset, value); }

void HiveWriter::setSequences(uint32_t primary, uint32_t secondary) {
    primary_ = primary;
    secondary_ = secondary;
}

Bytes HiveWriter::bytes() const {
    Bytes bins = bins_;
    const size_t size = (bins.size() + 8 + kBin - 1) / kBin * kBin;
    // The rest of the bin is one free cell.
    const size_t free = size - bins.size();
    bins.resize(size, 0);
    put32(bins, size - free, static_cast<uint32_t>(free));
    put32(bins, 4, 0);
    put32(bins, 8, static_cast<uint32_t>(size));
    Bytes file(kBin, 0);
    file[0] = 'r';
    file[1] = 'e';
    file[2] = 'g';
    file[3] = 'f';
    put32(file, 4, primary_);
    put32(file, 8, secondary_);
    put64(file, 12, kWritten);
    put32(file, 20, 1);
    put32(file, 24, minor_);
    put32(file, 32, 1);
    put32(file, 36, root_);
    put32(file, 40, static_cast<uint32_t>(size));
    put32(file, 44, 1);
    sealChecksum(file);
    append(file, bins);
    return file;
}

uint32_t writeTree(HiveWriter& writer, const KeySpec& key) {
    std::vector<uint32_t> children;
    for (const KeySpec& child : key.children) children.push_back(writeTree(writer, child));
    std::vector<uint32_t> values;
    for (const ValueSpec& value : key.values) {
        values.push_back(writer.value(value.name, isAscii(value.name), value.type, value.data));
    }
    const uint32_t subKeyList = children.empty() ? 0 : writer.list("lh", children);
    const uint32_t valueList = values.empty() ? 0 : writer.valueList(values);
    return writer.key(key.name, isAscii(key.name), subKeyList,
                      static_cast<uint32_t>(children.size()), valueList,
                      static_cast<uint32_t>(values.size()));
}

Bytes newFormatLog(const Bytes& primary, const std::vector<LogEntry>& entries) {
    Bytes log(primary.begin(), primary.begin() + 512);
    log.resize(kBin, 0);
    put32(log, 28, 6);
    sealChecksum(log);
    log.resize(512);
    for (const LogEntry& entry : entries) {
        Bytes body;
        for (const LogPage& page : entry.pages) {
            Bytes reference(8, 0);
            put32(reference, 0, page.offset);
            put32(reference, 4, static_cast<uint32_t>(page.bytes.size()));
            append(body, reference);
        }
        for (const LogPage& page : entry.pages) append(body, page.bytes);
        Bytes head(40, 0);
        head[0] = 'H';
        head[1] = 'v';
        head[2] = 'L';
        head[3] = 'E';
        const size_t size = (40 + body.size() + 511) / 512 * 512;
        body.resize(size - 40, 0);
        put32(head, 4, static_cast<uint32_t>(size));
        put32(head, 12, entry.sequence);
        put32(head, 16, entry.binsSize);
        put32(head, 20, static_cast<uint32_t>(entry.pages.size()));
        put64(head, 24, logEntryHash(body.data(), body.size()));
        put64(head, 32, logEntryHash(head.data(), 32));
        append(log, head);
        append(log, body);
    }
    return log;
}

Bytes dirtyVectorLog(const Bytes& primary, const Bytes& changed) {
    Bytes log(changed.begin(), changed.begin() + kBin);
    put32(log, 28, 1);
    put32(log, 4, 7);
    put32(log, 8, 7);
    put64(log, 12, 0);
    std::copy(primary.begin() + 12, primary.begin() + 20, log.begin() + 12);
    sealChecksum(log);
    log.resize(512);
    const size_t pages = (changed.size() - kBin) / 512;
    Bytes bitmap((pages + 7) / 8, 0);
    Bytes dirty;
    for (size_t i = 0; i < pages; ++i) {
        const size_t at = kBin + i * 512;
        const bool same =
            at + 512 <= primary.size() &&
            std::equal(changed.begin() + at, changed.begin() + at + 512, primary.begin() + at);
        if (same) continue;
        bitmap[i / 8] |= static_cast<uint8_t>(1 << (i % 8));
        dirty.insert(dirty.end(), changed.begin() + at, changed.begin() + at + 512);
    }
    log.push_back('D');
    log.push_back('I');
    log.push_back('R');
    log.push_back('T');
    append(log, bitmap);
    log.resize((log.size() + 511) / 512 * 512, 0);
    append(log, dirty);
    return log;
}

std::string exportListing(const Hive& hive) {
    Lister lister;
    walkHive(hive, lister);
    std::sort(lister.keys.begin(), lister.keys.end(),
              [](const Listed& a, const Listed& b) { return a.names < b.names; });
    std::string out = "Windows Registry Editor Version 5.00\n\n";
    for (const Listed& key : lister.keys) out += key.block;
    return out;
}

#ifdef _WIN32
// The independent reader is a Linux program: the Windows builds never run it.
bool haveHivexregedit() { return false; }
std::string hivexExport(const std::string&, bool) { return std::string(); }
#else
bool haveHivexregedit() { return std::system("command -v hivexregedit >/dev/null 2>&1") == 0; }

std::string hivexExport(const std::string& path, bool unsafe) {
    const std::string command = std::string("hivexregedit --export ") +
                                (unsafe ? "--unsafe " : "") + "'" + path + "' '\\' 2>/dev/null";
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    ::pclose(pipe);
    return out;
}
#endif

std::string corpusHives() {
#ifdef STOCKSWEEP_CORPUS_DIR
    return std::string(STOCKSWEEP_CORPUS_DIR) + "/hives/";
#else
    return std::string();
#endif
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace hive
}  // namespace testing
