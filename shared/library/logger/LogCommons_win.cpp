// Loading the catalogue files: the directory listing and the file reading.
// Each line read is handed to the pure line parser of LogCommons.
#include "shared/library/logger/LogCommons.h"

#include "shared/library/common/Exception.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/FilePlain.h"
#include "shared/library/files/FileUtils.h"

#include <memory>
#include <new>

namespace Velmar {
namespace {

const char kMessagesDir[] = "LogMessages\\";
const char kMessagesPattern[] = "*.mess";
const char kMessagesExtension[] = ".mess";
const char kAllModules[] = "all";
// The place a FileException of the load is traced to.
const char kSourceUnit[] = "shared/library/logger/LogCommons";
constexpr int32_t kSourceLine = 115;

// Reads one module's file into the catalogue; returns its message line count.
int32_t readMessageFile(LogCommons& messages, const std::string& path, int32_t module) {
    auto file = std::make_unique<FilePlain>(path);
    file->open(FileBase::Read);
    int32_t count = 0;
    std::string line;
    while (!file->atEnd()) {
        file->readLine(line);
        if (messages.addMessageLine(module, line)) ++count;
    }
    file->close();
    return count;
}

}  // namespace

LoadResult LogCommons::loadMessages(const std::string& directory, const std::string& filter) {
    LoadResult result;
    std::string dir = directory;
    normaliseSeparators(dir);
    ensureTrailingSeparator(dir);
    const std::string messagesDir = dir + kMessagesDir;

    for (const DirectoryEntry& entry : listDirectory(messagesDir, kMessagesPattern)) {
        if (entry.isDirectory) continue;
        std::string name = fileName(entry.name);
        stripExtension(name);
        try {
            const int32_t module = moduleNumber(name);
            // The number lookup ignores case, the filter does not: a file
            // "Stocksweep.mess" has a module but fails "stocksweep,...".
            if (module == kUnknownModule ||
                (filter != kAllModules && filter.find(name) == std::string::npos)) {
                result.rejected.push_back(name);
                continue;
            }
            const int32_t count =
                readMessageFile(*this, messagesDir + name + kMessagesExtension, module);
            result.loaded.push_back(name);
            result.counts.push_back(count);
        } catch (FileException& e) {
            e.addTrace(kSourceUnit, kSourceLine);
            result.error = e.text();
            return result;
        } catch (const std::bad_alloc&) {
            result.error = "OUT OF MEMORY";
            return result;
        } catch (...) {
            result.error = "Unknown";
            return result;
        }
    }
    result.ok = true;
    return result;
}

}  // namespace Velmar
