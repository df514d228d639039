// Reading the mapping file line by line into the parser.
#include "naming/MappingLoader.h"

#include "naming/MappingParser.h"
#include "scan/StocksweepMessages.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/FilePlain.h"

namespace Velmar {

const char kIllegalBraceText[] = "Illegal '{'.";

namespace {
const char kConfDirKey[] = "Velmar.directories.conf";
const char kMappingFile[] = "components/appmapping.conf";
}  // namespace

void loadApplicationMappings(const SmartPointer<ConfReader>& conf, ExeFinder& finder, Log& log) {
    debugLog(log, 1, "Loading application mappings...");
    std::string confDir;
    if (getDirName(conf, kConfDirKey, confDir) != CR_OK) {
        debugLog(log, 1, "Unable to get configuration dir. Cannot load mappings.");
        return;
    }
    loadApplicationMappingsFrom(confDir, finder, log);
}

void loadApplicationMappingsFrom(const std::string& confDir, ExeFinder& finder, Log& log) {
    const std::string path = confDir + kMappingFile;
    if (!pathExists(path)) {
        debugLog(log, 1, "File \"%s\" does not exist. Cannot load mappings.", path);
        return;
    }

    FilePlain file(path);
    file.open(FileBase::Read);
    MappingParser parser;
    std::string line;
    while (!file.atEnd()) {
        file.readLine(line);
        if (!parser.addLine(line)) {
            file.close();
            log.message(kSeverityError, AppMessage::kMappingSyntax,
                        {parser.lineNumber(), kIllegalBraceText});
            return;
        }
    }
    file.close();
    finder.setMappings(parser.mappings());
    debugLog(log, 1, "Application mappings loaded.");
}

}  // namespace Velmar
