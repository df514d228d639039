// The version resource of an executable: product name, file description and
// file version, in the first language that has any of them.
#include "scan/SMScan.h"

#include "shared/library/files/FileOps.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/common/WinApi.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace Velmar {

namespace {

// Prefixes that paths written in registry values and services carry.
const char kNtPrefix[] = "\\\\??\\";                // loses all its characters
const char kSystemRootPrefix[] = "\\\\systemroot";  // loses its first character
const WORD kUsEnglish = 0x0409;
const int kAttemptsPerEntry = 3;

struct Translation {
    WORD language;
    WORD codePage;
};

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Rewrites special leading components ("%VAR%", "\systemroot", "\??", "/c:")
// until the path names something that exists or no separator is left. False
// when a component that has to be rewritten has no expansion.
bool expandComponents(std::string& path) {
    size_t position = 0;
    while (!pathExists(path)) {
        size_t separator = path.find_first_of("\\/", position + 1);
        if (separator == std::string::npos) return true;
        std::string expansion;
        if (!expandPathPrefix(path.substr(position, separator - position), expansion)) return false;
        path.replace(position, separator - position, expansion);
        position += expansion.size();
    }
    return true;
}

// One string of the resource under the translation: its text and reported
// length; length 0 when the resource has no such string.
struct RawText {
    const char* text = nullptr;
    UINT length = 0;
};

RawText queryString(std::vector<char>& block, const char* name, Translation t) {
    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\%s", t.language, t.codePage,
                  name);
    RawText raw;
    void* data = nullptr;
    if (::VerQueryValueA(block.data(), query, &data, &raw.length) && data != nullptr) {
        raw.text = static_cast<const char*>(data);
    } else {
        raw.length = 0;
    }
    return raw;
}

// At most the reported length less the terminator, up to a zero byte,
// without blanks at either end.
std::string cleaned(RawText raw) {
    if (raw.length == 0) return "";
    std::string value(raw.text, strnlen(raw.text, raw.length - 1));
    trimBlanks(value);
    return value;
}

bool readVersionResource(ExeInfo& info, std::string path, Log& log) {
    debugLog(log, 5, "SMScan: Getting file information...");
    if (startsWith(path, kNtPrefix)) {
        path.erase(0, std::strlen(kNtPrefix));
    } else if (startsWith(path, kSystemRootPrefix)) {
        path.erase(0, 1);
    }
    if (!expandComponents(path)) return false;

    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return false;
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return false;

    void* data = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &data, &length) ||
        data == nullptr) {
        return false;
    }
    std::vector<Translation> table(length / sizeof(Translation));
    if (!table.empty()) std::memcpy(table.data(), data, table.size() * sizeof(Translation));

    debugLog(log, 5, "SMScan: Number of language blocks in version info: %i",
             static_cast<int>(table.size()));
    for (size_t i = 0; i < table.size(); ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "SMScan: Block: %i: LangId:%04x Codepage:%04x",
                      static_cast<int>(i), table[i].language, table[i].codePage);
        log.debug(5, line);
    }

    // A block often carries its strings under the neutral or the US English
    // language rather than under the language it announces: an entry's
    // language L is tried as L, then 0, then 0x0409 (an entry of language 0
    // as 0, 0x0409, 0).
    for (Translation entry : table) {
        for (int attempt = 0; attempt < kAttemptsPerEntry; ++attempt) {
            // Blanks alone are no description or product name.
            std::string texts[] = {cleaned(queryString(block, "FileDescription", entry)),
                                   cleaned(queryString(block, "FileVersion", entry)),
                                   cleaned(queryString(block, "ProductName", entry))};
            if (!texts[0].empty() || !texts[2].empty()) {
                info.fileDescription.swap(texts[0]);
                info.fileVersion.swap(texts[1]);
                info.productName.swap(texts[2]);
                debugLog(log, 5, "SMScan: FileDescription:%s, Product:%s, Version:%s",
                         info.fileDescription, info.productName, info.fileVersion);
                return true;
            }
            entry.language = entry.language != 0 ? 0 : kUsEnglish;
        }
    }
    return false;
}

}  // namespace

bool SMScan::readVersionInfo(ExeInfo& info, const std::string& path) {
    try {
        return readVersionResource(info, path, log);
    } catch (...) {
        return false;
    }
}

}  // namespace Velmar
