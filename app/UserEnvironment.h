// The environment of a user other than the one the program runs as: what the
// REG_EXPAND_SZ texts of that user's registry expand with. Expanding them with
// the system account's profile gives paths that do not exist.
#pragma once

#include "app/KeySource.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Velmar {

class UserEnvironment : public TextExpander {
public:
    // The variables of the user whose profile folder is `profile` (a full
    // path, no trailing separator): USERPROFILE, APPDATA, LOCALAPPDATA,
    // HOMEDRIVE, HOMEPATH and USERNAME (the folder's own name). References
    // these do not name go to `others` (the process's environment).
    UserEnvironment(const std::string& profile, TextExpander& others);

    // A variable of the user's own registry (its Environment key); it takes
    // the place of one of the same name. Its text is expanded first with the
    // variables above, when `expandable`.
    void set(const std::string& name, const std::string& text, bool expandable);

    // Every %NAME% that names one of the user's variables (names compared
    // without regard to case) replaced by its text; the rest then expanded by
    // `others`.
    std::string expand(const std::string& keyPath, const std::string& text) override;

private:
    std::string substitute(const std::string& text) const;

    std::map<std::string, std::string> variables_;  // by lower-case name
    TextExpander& others_;
};

// The value names and texts of a user's Environment key as the scan lists them
// (REG_SZ and REG_EXPAND_SZ), given to `environment`.
void addUserVariables(const std::vector<SourceValue>& values, size_t count,
                      UserEnvironment& environment);
// The same for the key `path` (from the source's root) where it opens and
// lists; nothing otherwise.
void readUserVariables(KeySource& source, const std::string& path, UserEnvironment& environment);

// The environments of the users whose registries are walked below one root
// (HKEY_USERS): a text of a key below "<SID>" or "<SID>_Classes" expands with
// that user's environment, which `load` makes the first time the SID is met
// (null for a SID that has none: a service account or ".DEFAULT"), and
// otherwise with `others`.
class UserEnvironments : public TextExpander {
public:
    using Loader = std::function<std::unique_ptr<UserEnvironment>(const std::string& sid)>;

    UserEnvironments(Loader load, TextExpander& others) : load_(std::move(load)), others_(others) {}

    std::string expand(const std::string& keyPath, const std::string& text) override;

private:
    Loader load_;
    TextExpander& others_;
    std::map<std::string, std::unique_ptr<UserEnvironment>> users_;  // by SID
};

}  // namespace Velmar
