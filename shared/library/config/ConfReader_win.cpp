#include "shared/library/config/ConfReader.h"

#include "shared/library/config/ConfParser.h"
#include "shared/library/common/Exception.h"
#include "shared/library/files/FilePlain.h"
#include "shared/library/logger/LogCommons.h"
#include "shared/library/logger/LoggerUnit.h"

#include <memory>

namespace Velmar {
namespace {

const int32_t kSeekStart = 0;
const int32_t kSeekEnd = 2;

// The whole file as one text; FileException when it cannot be opened or read.
std::string readWholeFile(const std::string& fileName) {
    FilePlain file(fileName);
    file.open(FileBase::Read);
    const int64_t size = file.seek(0, kSeekEnd);
    file.seek(0, kSeekStart);
    std::string text;
    if (size > 0) file.readText(text, static_cast<uint64_t>(size));
    file.close();
    return text;
}

}  // namespace

ConfReader::ConfReader(const SmartPointer<LoggerCentre>& centre)
    : logger_(std::make_shared<LoggerUnit>(centre, kModuleConfiguration)),
      log_(logger_.get()),
      tree_(log_) {
    log_.debug(1, "ConfReader: Created.", {});
}

ConfReader::~ConfReader() {
    try {
        tree_.clear();
        log_.debug(1, "ConfReader: Destroyed.", {});
    } catch (...) {
        // A destructor must not throw; the unit's own lines swallow theirs too.
    }
    log_.setUnit(nullptr);
    logger_.reset();
}

void ConfReader::buildDomTree(const std::string& fileName) {
    try {
        log_.debug(2, "ConfReader: Building DOM tree from file \"%s\"...", {fileName});
        const MonopolyGuard building(buildLock_);
        std::string text;
        try {
            text = readWholeFile(fileName);
        } catch (FileException& e) {
            e.addTrace(__FILE__, __LINE__);
            log_.message(kSeverityError, ConfMessage::kCannotReadFile, {fileName, e.text()});
            return;
        } catch (...) {
            log_.message(kSeverityError, ConfMessage::kCannotReadFile, {fileName, "Unknown"});
            log_.debug(1, "ConfReader: Unknown error while building DOM tree from file \"%s\".",
                       {fileName});
            return;
        }
        tree_.build(text, fileName);
    } catch (...) {
        // Only taking the build lock can get here (out of memory); a build
        // never throws to its caller.
    }
}

ConfResult getString(const SmartPointer<ConfReader>& reader, const std::string& key,
                     std::string& out, bool trim, bool lowerCase) {
    return reader ? reader->getString(key, out, trim, lowerCase) : CR_NO_READER;
}

ConfResult getBool(const SmartPointer<ConfReader>& reader, const std::string& key, bool& out) {
    return reader ? reader->getBool(key, out) : CR_NO_READER;
}

ConfResult getInteger(const SmartPointer<ConfReader>& reader, const std::string& key,
                      int32_t& out) {
    return reader ? reader->getInteger(key, out) : CR_NO_READER;
}

ConfResult getDirName(const SmartPointer<ConfReader>& reader, const std::string& key,
                      std::string& out) {
    return reader ? reader->getDirName(key, out) : CR_NO_READER;
}

}  // namespace Velmar
