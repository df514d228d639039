// A suite installation's configuration directory as the tests lay it out in a
// scratch directory: the installed catalogues, the mapping file, and
// configuration files whose "Velmar.directories" entry names the suite's
// directories.
#pragma once

#include "tests/support/WinTestSupport.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace Velmar {
namespace testing {

// A path as a configuration value: backslashes doubled, since a value's
// backslash drops the character after it ("\\" reads as one backslash).
inline std::string confPath(const std::string& path) {
    std::string text;
    for (char c : path) {
        text += c;
        if (c == '\\') text += '\\';
    }
    return text;
}

// The "Velmar.directories" entry: one DirName key per (key, value) pair, each
// value written as it stands (see confPath), on a line of its own after the
// first; with one key, two lines.
inline std::string directoriesEntry(const std::vector<std::pair<std::string, std::string>>& keys) {
    std::string text = "Velmar () = '' { directories () = '' {";
    for (const auto& key : keys) {
        text += "\n  " + key.first + " (DirName) = '" + key.second + "' {}";
    }
    return text + " } }\n";
}

class SuiteConfiguration {
public:
    // The directory `name` below `scratch`, made now; "" for the scratch
    // directory itself. `scratch` must outlive this object.
    SuiteConfiguration(const ScratchDir& scratch, const std::string& name)
        : scratch_(scratch),
          prefix_(name.empty() ? "" : name + "\\"),
          dir_(scratch.makeDir(name)) {}

    // With its trailing separator.
    const std::string& dir() const { return dir_; }

    // Copies the catalogue of each module as the installation ships it
    // (install\LogMessages\<module>.mess beside the test program).
    void installCatalogues(std::initializer_list<const char*> modules) const {
        scratch_.makeDir(prefix_ + "LogMessages");
        for (const char* module : modules) {
            const std::string file = std::string("LogMessages\\") + module + ".mess";
            copyFile(testProgramDir() + "install\\" + file, dir_ + file);
        }
    }

    // components\appmapping.conf holding `rules`; its path.
    std::string writeMapping(const std::string& rules) const {
        return scratch_.makeFile(prefix_ + "components\\appmapping.conf", rules);
    }

    // The configuration file `name` here: a directories entry naming this
    // directory (or `confDir`) as the configuration directory, then `body`;
    // its path.
    std::string writeConf(const std::string& name, const std::string& body,
                          const std::string& confDir = "") const {
        return scratch_.makeFile(
            prefix_ + name,
            directoriesEntry({{"conf", confPath(confDir.empty() ? dir_ : confDir)}}) + body);
    }

private:
    const ScratchDir& scratch_;
    const std::string prefix_;
    const std::string dir_;
};

}  // namespace testing
}  // namespace Velmar
