#include "app/OfflineProfiles.h"

#include "app/HiveKeySource.h"
#include "app/RegistryScan.h"
#include "app/RegistryWalk.h"
#include "app/UserEnvironment.h"
#include "scan/StocksweepMessages.h"
#include "shared/library/common/AnsiText.h"
#include "shared/library/system/RegistryKey.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/hive/Hive.h"
#include "shared/library/hive/HiveLog.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

namespace Velmar {

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kProfilePathValue[] = "ProfileImagePath";
const char kUserHive[] = "\\NTUSER.DAT";
const char kClassesHive[] = "\\AppData\\Local\\Microsoft\\Windows\\UsrClass.dat";
const char kClassesSuffix[] = "_Classes";
const char kUsersRoot[] = "HKEY_USERS";
const char kEnvironmentKey[] = "\\Environment";
// A hive file larger than this is not read.
constexpr uint64_t kMaxHiveFile = uint64_t{1} << 30;

std::string systemError(uint32_t error) { return "system error " + std::to_string(error); }

// The profile folder of the user `sid` of the profile list `list`, expanded,
// without a trailing separator; false when it has none.
bool profileFolder(HKEY list, const std::string& sid, Log& log, std::string& profile) {
    RegistryKey entry;
    if (entry.open(list, sid, KEY_QUERY_VALUE, RegistryView::kOwn) != ERROR_SUCCESS ||
        entry.readText(kProfilePathValue, profile) != ERROR_SUCCESS || profile.empty()) {
        return false;
    }
    profile = expandEnvironment(profile, log);
    while (!profile.empty() && (profile.back() == '\\' || profile.back() == '/')) {
        profile.pop_back();
    }
    return !profile.empty();
}

struct HiveFile {
    std::string sid;
    std::string mount;  // the SID, or the SID and "_Classes"
    std::string path;
    bool required;  // a missing file is worth a warning
};

// Reads, recovers and walks one hive file; `environment` is filled from the
// user's own hive when `user` is set. Answers the keys walked.
size_t readAndWalk(const HiveFile& file, UserEnvironment& environment, bool user,
                   std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log) {
    std::vector<uint8_t> bytes;
    uint32_t error = 0;
    if (!readSharedFile(file.path, bytes, error)) {
        if (error == ERROR_SHARING_VIOLATION) {
            log.debug(2, "   The registry hive \"%s\" is in use; its user is logging on: skipped.",
                      {file.path});
        } else if (file.required ||
                   (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)) {
            log.message(kSeverityWarning, AppMessage::kHiveFileUnreadable,
                        {file.path, file.sid, systemError(error)});
        }
        return 0;
    }
    std::vector<std::vector<uint8_t>> logs(2);
    uint32_t ignored = 0;
    readSharedFile(file.path + ".LOG1", logs[0], ignored);
    readSharedFile(file.path + ".LOG2", logs[1], ignored);
    const hive::Recovery recovery = hive::recoverHive(bytes, logs);
    logs.clear();
    const hive::Hive hive(std::move(bytes));
    if (hive.status() != hive::HiveStatus::kOk) {
        const char* reason = hive.status() == hive::HiveStatus::kVersion
                                 ? "a hive format it does not know"
                                 : "not a registry hive";
        log.message(kSeverityWarning, AppMessage::kHiveFileUnreadable,
                    {file.path, file.sid, reason});
        return 0;
    }
    if (user) {
        // A source of its own, so that the walk's counts are the walk's.
        HiveKeySource variables(hive, toAnsi, file.mount);
        readUserVariables(variables, file.mount + kEnvironmentKey, environment);
    }

    HiveKeySource source(hive, toAnsi, file.mount);
    SuiteValues suite;
    keyQueue.push_back(file.mount);
    const size_t walked =
        walkRegistry(source, kUsersRoot, keyQueue, sink, log, {suite, environment, toAnsi});

    const hive::WalkCounts& counts = source.counts();
    const char* state = !recovery.dirty      ? "clean"
                        : recovery.recovered ? "dirty, brought up to date from its logs"
                                             : "dirty without a usable log, read as it stands";
    log.message(kSeverityNotice, AppMessage::kHiveFileRead,
                {file.path, file.sid, static_cast<uint32_t>(counts.keys),
                 static_cast<uint32_t>(counts.values), state});
    if (counts.damaged != 0) {
        log.message(kSeverityWarning, AppMessage::kHiveFileDamaged,
                    {file.path, file.sid, static_cast<uint32_t>(counts.damaged)});
    }
    return walked;
}

// readAndWalk, where a file too large for the memory the process can have
// costs that file alone.
size_t scanHiveFile(const HiveFile& file, UserEnvironment& environment, bool user,
                    std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log) {
    try {
        return readAndWalk(file, environment, user, keyQueue, sink, log);
    } catch (const std::bad_alloc&) {
        keyQueue.clear();
        log.message(kSeverityWarning, AppMessage::kHiveFileUnreadable,
                    {file.path, file.sid, "not enough memory to hold it"});
        return 0;
    }
}

}  // namespace

bool readSharedFile(const std::string& path, std::vector<uint8_t>& bytes, uint32_t& error) {
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        error = ::GetLastError();
        return false;
    }
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size)) {
        error = ::GetLastError();
        return false;
    }
    if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > kMaxHiveFile) {
        error = ERROR_FILE_TOO_LARGE;
        return false;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &read, nullptr)) {
            error = ::GetLastError();
            return false;
        }
        if (read == 0) break;
        done += read;
    }
    // A file that shrank while read is taken as far as it went.
    bytes.resize(done);
    return true;
}

size_t scanOfflineProfiles(std::deque<std::string>& keyQueue, CandidateSink& sink, Log& log) {
    RegistryKey list;
    if (list.open(HKEY_LOCAL_MACHINE, kProfileList, KEY_READ, RegistryView::kOwn) !=
        ERROR_SUCCESS) {
        log.debug(1, "Cannot open the profile list; no user hive files are read.");
        return 0;
    }
    std::vector<std::string> sids;
    for (SubKeyIterator it(list.get()); it.next();) sids.push_back(it.name());
    ProcessEnvironment process(log);
    size_t walked = 0;
    for (const std::string& sid : sids) {
        RegistryKey loaded;
        if (loaded.open(HKEY_USERS, sid, KEY_QUERY_VALUE, RegistryView::kOwn) == ERROR_SUCCESS) {
            log.debug(3, "The registry of user %s is loaded; its hive file is not read.", {sid});
            continue;
        }
        std::string profile;
        if (!profileFolder(list.get(), sid, log, profile)) {
            log.debug(3, "User %s has no profile folder.", {sid});
            continue;
        }
        debugLog(log, 1, "Now reading the registry of user %s from \"%s\"...", sid, profile);
        UserEnvironment environment(profile, process);
        walked += scanHiveFile({sid, sid, profile + kUserHive, true}, environment, true, keyQueue,
                               sink, log);
        walked += scanHiveFile({sid, sid + kClassesSuffix, profile + kClassesHive, false},
                               environment, false, keyQueue, sink, log);
    }
    return walked;
}

std::unique_ptr<TextExpander> loadedUserEnvironments(TextExpander& process, Log& log) {
    auto load = [&process, &log](const std::string& sid) -> std::unique_ptr<UserEnvironment> {
        RegistryKey list;
        std::string profile;
        if (list.open(HKEY_LOCAL_MACHINE, kProfileList, KEY_READ, RegistryView::kOwn) !=
                ERROR_SUCCESS ||
            !profileFolder(list.get(), sid, log, profile)) {
            return nullptr;
        }
        debugLog(log, 3, "Texts of user %s expand with the profile \"%s\".", sid, profile);
        auto environment = std::make_unique<UserEnvironment>(profile, process);
        const std::unique_ptr<KeySource> users = liveKeySource(HKEY_USERS, false);
        readUserVariables(*users, sid + kEnvironmentKey, *environment);
        return environment;
    };
    return std::make_unique<UserEnvironments>(load, process);
}

}  // namespace Velmar
