// The configuration reader: builds a tree from a configuration file and answers
// typed lookups on it by dotted keys (see ConfTree for the lookups and their
// result codes). It logs through a logger unit of its own for the module
// "Configuration".
#pragma once

#include "shared/library/config/ConfTree.h"
#include "shared/library/common/Monopoly.h"
#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LoggerUnitLog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Velmar {

class LoggerCentre;
class LoggerUnit;

class ConfReader {
public:
    // Makes the reader's logger unit on `centre` and logs "ConfReader: Created.".
    explicit ConfReader(const SmartPointer<LoggerCentre>& centre);
    // Frees the tree, logs "ConfReader: Destroyed.", then releases the unit.
    virtual ~ConfReader();

    ConfReader(const ConfReader&) = delete;
    ConfReader& operator=(const ConfReader&) = delete;

    // Reads the file and replaces the tree with the one built from it, under
    // the reader's build lock. A file that cannot be read leaves the tree as it
    // was (ERROR message 1); a syntax error leaves the entries completed before
    // it (ERROR message 2 and the line). Never throws.
    void buildDomTree(const std::string& fileName);

    const DOMNode* findNode(const std::string& key) const { return tree_.findNode(key); }
    ConfResult getValue(const std::string& key, const std::string& typeName,
                        std::string& out) const {
        return tree_.getValue(key, typeName, out);
    }
    ConfResult getString(const std::string& key, std::string& out, bool trim = false,
                         bool lowerCase = false) const {
        return tree_.getString(key, out, trim, lowerCase);
    }
    ConfResult getBool(const std::string& key, bool& out) const { return tree_.getBool(key, out); }
    ConfResult getInteger(const std::string& key, int32_t& out) const {
        return tree_.getInteger(key, out);
    }
    ConfResult getDirName(const std::string& key, std::string& out) const {
        return tree_.getDirName(key, out);
    }
    ConfResult getTimeSpan(const std::string& key, TimeSpan& out) const {
        return tree_.getTimeSpan(key, out);
    }
    ConfResult getSubObjects(const std::string& key, std::vector<std::string>& names) const {
        return tree_.getSubObjects(key, names);
    }

    const DOMNode* root() const { return tree_.root(); }

private:
    SmartPointer<LoggerUnit> logger_;
    LoggerUnitLog log_;
    ConfTree tree_;
    Monopoly buildLock_;
};

// The getters on a reader handle: CR_NO_READER when the handle is empty.
ConfResult getString(const SmartPointer<ConfReader>& reader, const std::string& key,
                     std::string& out, bool trim = false, bool lowerCase = false);
ConfResult getBool(const SmartPointer<ConfReader>& reader, const std::string& key, bool& out);
ConfResult getInteger(const SmartPointer<ConfReader>& reader, const std::string& key, int32_t& out);
ConfResult getDirName(const SmartPointer<ConfReader>& reader, const std::string& key,
                      std::string& out);

}  // namespace Velmar
