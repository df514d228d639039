#include "shared/library/system/SystemInfoRules.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

std::string moduleTypeFromText(const std::string& value) {
    std::string lower = value;
    toLowerCase(lower);
    if (lower == "client") return "Client";
    if (lower == "server" || lower == "coreserver") return "Server";
    return "";
}

const std::vector<std::string>& installDirVariables() {
    static const std::vector<std::string> names = {"VelmarInstallDir", "velmar_installdir",
                                                   "installdir"};
    return names;
}

const std::vector<std::string>& configDirVariables() {
    static const std::vector<std::string> names = {
        "VelmarConfDir",           "VelmarConfigDir", "velmar_confdir", "velmar_configdir",
        "velmar_configurationdir", "confdir",         "configdir"};
    return names;
}

std::string directoryFromVariables(const std::vector<std::string>& names,
                                   const EnvironmentReader& read, const PathTest& exists) {
    for (const std::string& name : names) {
        std::string value;
        if (!read(name, value)) continue;
        ensureTrailingSeparator(value);
        normaliseSeparators(value);
        return exists(value) ? value : std::string();
    }
    return "";
}

std::string reconcileRegistryDirectory(const std::string& clientValue,
                                       const std::string& serverValue, std::string& moduleType) {
    if (!clientValue.empty() && serverValue.empty()) {
        moduleType = "Client";
        return clientValue;
    }
    if (clientValue.empty() && !serverValue.empty()) {
        moduleType = "Server";
        return serverValue;
    }
    if (clientValue == serverValue) return clientValue;
    return "";
}

std::string inDirectory(const std::string& directory, const std::string& name) {
    if (directory.empty() || directory.back() == '\\' || directory.back() == '/') {
        return directory + name;
    }
    return directory + "\\" + name;
}

std::string installDirFromConfigDir(const std::string& configDir) {
    std::string path = inDirectory(configDir, "../");
    collapseDotSegments(path);
    return path;
}

std::string findConfigDirAbove(const std::string& start, const PathTest& exists) {
    std::string dir = start;
    while (!dir.empty()) {
        const std::string configuration = dir + "Configuration";
        if (exists(configuration)) return configuration;
        const std::string etc = dir + "etc";
        if (exists(etc)) return etc;
        std::string parent = parentDir(dir);
        // A parent that is not shorter would search the same place for ever.
        if (parent.size() >= dir.size()) break;
        dir = parent;
    }
    return "";
}

std::string suiteKeyBase(bool wow64) {
    return wow64 ? "SOFTWARE\\Wow6432Node\\Velmar\\" : "SOFTWARE\\Velmar\\";
}

bool suiteWordExists(const SuiteKeyRecord& record, const std::string& word) {
    if (word == "Resources") return record.resources;
    if (word == "Client") return record.client;
    if (word == "Server") return record.server;
    return false;
}

std::string chooseSuiteWord(const std::string& word, const SuiteKeyRecord& record,
                            const std::function<std::string()>& moduleType) {
    if (suiteWordExists(record, word)) return word;
    const std::string type = moduleType();
    if (suiteWordExists(record, type)) return type;
    return "Resources";
}

}  // namespace Velmar
