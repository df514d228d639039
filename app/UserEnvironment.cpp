#include "app/UserEnvironment.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {

constexpr char kClassesSuffix[] = "_Classes";

std::string lowered(std::string text) {
    toLowerCase(text);
    return text;
}

}  // namespace

UserEnvironment::UserEnvironment(const std::string& profile, TextExpander& others)
    : others_(others) {
    variables_["userprofile"] = profile;
    variables_["appdata"] = profile + "\\AppData\\Roaming";
    variables_["localappdata"] = profile + "\\AppData\\Local";
    // "C:\Users\name": the drive, and the path on it.
    const bool drive = profile.size() >= 2 && profile[1] == ':';
    variables_["homedrive"] = drive ? profile.substr(0, 2) : std::string();
    variables_["homepath"] = drive ? profile.substr(2) : profile;
    const size_t slash = profile.find_last_of("\\/");
    variables_["username"] = slash == std::string::npos ? profile : profile.substr(slash + 1);
}

void UserEnvironment::set(const std::string& name, const std::string& text, bool expandable) {
    variables_[lowered(name)] = expandable ? substitute(text) : text;
}

std::string UserEnvironment::substitute(const std::string& text) const {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        const size_t open = text.find('%', at);
        const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) break;
        const auto found = variables_.find(lowered(text.substr(open + 1, close - open - 1)));
        if (found == variables_.end()) {
            // Not the user's: left for the process, and its closing "%" may
            // open the next reference.
            out.append(text, at, close - at);
            at = close;
            continue;
        }
        out.append(text, at, open - at);
        out += found->second;
        at = close + 1;
    }
    out.append(text, at, std::string::npos);
    return out;
}

std::string UserEnvironment::expand(const std::string& keyPath, const std::string& text) {
    return others_.expand(keyPath, substitute(text));
}

void addUserVariables(const std::vector<SourceValue>& values, size_t count,
                      UserEnvironment& environment) {
    for (size_t i = 0; i < count && i < values.size(); ++i) {
        const SourceValue& value = values[i];
        if (!value.hasText || (value.type != kRegSz && value.type != kRegExpandSz)) continue;
        environment.set(value.name, value.text, value.type == kRegExpandSz);
    }
}

void readUserVariables(KeySource& source, const std::string& path, UserEnvironment& environment) {
    bool valuesOpen = false;
    const std::unique_ptr<KeySource::Key> key = source.open(nullptr, {path, {}}, valuesOpen);
    if (!key || !valuesOpen) return;
    std::vector<SourceValue> values;
    size_t count = 0;
    if (source.values(*key, values, count) == ListResult::kOk) {
        addUserVariables(values, count, environment);
    }
}

std::string UserEnvironments::expand(const std::string& keyPath, const std::string& text) {
    std::string sid = keyPath.substr(0, keyPath.find('\\'));
    const size_t suffix = sizeof(kClassesSuffix) - 1;
    if (sid.size() > suffix && sid.compare(sid.size() - suffix, suffix, kClassesSuffix) == 0) {
        sid.resize(sid.size() - suffix);
    }
    auto found = users_.find(sid);
    if (found == users_.end()) found = users_.emplace(sid, load_(sid)).first;
    if (!found->second) return others_.expand(keyPath, text);
    return found->second->expand(keyPath, text);
}

}  // namespace Velmar
