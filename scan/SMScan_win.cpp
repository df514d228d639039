// The scanner's life: COM for the thread, finding the Start menus, the walk,
// and storing the records it makes.
#include "scan/SMScan.h"

#include "scan/StartMenuRules.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/common/WinApi.h"

#include <shlobj.h>
#include <userenv.h>

namespace Velmar {

SmartPointer<LoggerUnit> SMScan::logger;
LoggerUnitLog SMScan::log{SMScan::logger};

namespace {

// Set once a scanner has initialised COM on this thread; never cleared, since
// nothing uninitialises it.
thread_local bool comReady = false;

// Buffer sizes the shell and the profile functions are asked with.
const DWORD kPathBuffer = MAX_PATH;

// Where each profile keeps its Start menu since the profile layout of Vista.
const char kProfileStartMenu[] = "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\";

const char kLinkExtension[] = "lnk";

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

bool isDirectory(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction or symbolic link. Following one can lead back into the tree
// being walked (a profile's "Start Menu" junction points into AppData).
bool isReparsePoint(const std::string& path) {
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The form two directory paths are compared in: separators folded, a
// trailing separator, lower case.
std::string comparable(std::string path) {
    normaliseSeparators(path);
    ensureTrailingSeparator(path);
    toLowerCase(path);
    return path;
}

}  // namespace

SMScan::SMScan() {
    if (!comReady) {
        debugLog(log, 2, "SMScan: Initializing the COM library...");
        // S_FALSE (COM already initialised on this thread by someone else)
        // counts as failure as well: that initialisation is not ours to rely on.
        if (::CoInitialize(nullptr) != S_OK) {
            debugLog(log, 2, "SMScan: Initializing failed.");
            return;
        }
        debugLog(log, 2, "SMScan: Initialized COM library.");
        comReady = true;
    }

    debugLog(log, 3, "SMScan: Obtaining paths to start menus for different users.");
    char profiles[kPathBuffer] = {};
    DWORD size = kPathBuffer;
    // Some implementations answer the length instead of TRUE: any non-zero is success.
    if (::GetProfilesDirectoryA(profiles, &size) != 0) {
        findStartMenus(profiles);
        addCurrentStartMenus(profiles);
    }
    debugLog(log, 4, "SMScan: Got %i paths to start menus.", static_cast<int>(startMenus.size()));
    for (std::string& path : startMenus) {
        ensureTrailingSeparator(path);
        debugLog(log, 5, "SMScan: Start menu path: \"%s\".", path);
    }
}

SMScan::~SMScan() { debugLog(log, 1, "Destroying SMScan."); }

void SMScan::setLogger(const SmartPointer<LoggerUnit>& handle) {
    if (&handle != &logger) logger = handle;
}

void SMScan::clearLogger() { logger.reset(); }

void SMScan::countFiles(const std::string& dir, int& links, int& others) {
    links = 0;
    others = 0;
    for (const DirectoryEntry& entry : listDirectory(dir, "*")) {
        if (entry.isDirectory) continue;
        // Exactly "lnk": a capitalised "LNK" counts as another file here.
        if (extension(entry.name) == kLinkExtension) {
            ++links;
        } else {
            ++others;
        }
    }
}

// A profile subfolder is a Start menu when shortcuts outnumber the other files
// in it, or, for a folder with few files, in it and its subfolders counted
// together, one subfolder after the other.
void SMScan::findStartMenus(const std::string& profilesDir) {
    const std::string root = profilesDir + "\\";
    for (const DirectoryEntry& user : listDirectory(root, "*")) {
        if (!user.isDirectory || isDotEntry(user.name)) continue;
        const std::string profile = root + user.name + "\\";
        for (const DirectoryEntry& sub : listDirectory(profile, "*")) {
            if (!sub.isDirectory || isDotEntry(sub.name)) continue;
            const std::string candidate = profile + sub.name;
            int links = 0;
            int others = 0;
            countFiles(candidate, links, others);
            FolderVerdict verdict = judgeFolder(links, others);
            if (verdict == FolderVerdict::StartMenu) {
                startMenus.push_back(candidate);
                continue;
            }
            if (verdict == FolderVerdict::NotStartMenu) continue;
            for (const DirectoryEntry& deeper : listDirectory(candidate, "*")) {
                if (!deeper.isDirectory || isDotEntry(deeper.name)) continue;
                int moreLinks = 0;
                int moreOthers = 0;
                countFiles(candidate + "\\" + deeper.name, moreLinks, moreOthers);
                links += moreLinks;
                others += moreOthers;
                if (links > others) {
                    startMenus.push_back(candidate);
                    break;
                }
            }
        }
    }
}

// The counting rule looks where the profiles of old kept their Start menus;
// newer ones keep them deeper in each profile, and the common one outside the
// profiles directory. Those are added when they exist and are not listed yet.
void SMScan::addCurrentStartMenus(const std::string& profilesDir) {
    std::vector<std::string> known;
    for (const std::string& path : startMenus) known.push_back(comparable(path));
    auto addIfNew = [&](const std::string& path) {
        if (!isDirectory(path)) return;
        std::string key = comparable(path);
        for (const std::string& listed : known) {
            if (listed == key) return;
        }
        known.push_back(key);
        startMenus.push_back(path);
    };

    const std::string root = profilesDir + "\\";
    for (const DirectoryEntry& user : listDirectory(root, "*")) {
        if (!user.isDirectory || isDotEntry(user.name)) continue;
        addIfNew(root + user.name + "\\" + kProfileStartMenu);
    }
    char common[kPathBuffer] = {};
    if (::SHGetFolderPathA(nullptr, CSIDL_COMMON_STARTMENU, nullptr, SHGFP_TYPE_CURRENT, common) ==
        S_OK) {
        std::string path = common;
        ensureTrailingSeparator(path);
        addIfNew(path);
    }
}

bool SMScan::scan(ExeMap& result, bool details) {
    if (!comReady || startMenus.empty()) return false;
    found = &result;
    withDetails = details;
    for (const std::string& menu : startMenus) walk(menu);
    return true;
}

bool SMScan::walk(const std::string& dir) {
    debugLog(log, 4, "SMScan: Scanning \"%s\"...", dir);
    const std::vector<DirectoryEntry> entries = listDirectory(dir, "*");
    debugLog(log, 5, "SMScan: \"%s\" has %i sub-elements.", dir, static_cast<int>(entries.size()));
    for (const DirectoryEntry& entry : entries) {
        debugLog(log, 5, "SMScan: Checking element \"%s\"...", entry.name);
        if (!entry.isDirectory) {
            if (isLink(entry.name)) processShortcut(dir, entry.name);
            continue;
        }
        debugLog(log, 5, "SMScan: Checking directory \"%s\"...", entry.name);
        if (isDotEntry(entry.name)) {
            debugLog(log, 5, "SMScan: Ignoring . and ..");
            continue;
        }
        if (isReparsePoint(dir + entry.name)) {
            debugLog(log, 5, "SMScan: Not following \"%s\": it is a link to another folder.",
                     entry.name);
            continue;
        }
        if (!walk(dir + entry.name + "/")) {
            debugLog(log, 5, "SMScan: Failed to scan \"%s\".", entry.name);
        }
    }
    resolveRemaining();
    debugLog(log, 4, "SMScan: Finished scanning \"%s\".", dir);
    return true;
}

void SMScan::processShortcut(const std::string& dir, const std::string& name) {
    std::string target, targetName, description, version, workingDir, arguments;
    if (!readShortcut(dir + name, target, targetName, description, version, workingDir,
                      arguments)) {
        return;
    }
    std::string key = target;
    toLowerCase(key);
    ExeInfo info;
    info.exeFile = targetName;
    if (withDetails) {
        info.menuName = menuNameOf(name);
        info.menuFolder = fileName(dir.substr(0, dir.size() - 1));
        info.fileDescription = description;
        info.fileVersion = version;
        info.workingDir = workingDir;
        info.arguments = arguments;
        if (log.debugLevel() >= 5) {
            log.debug(5, shortcutDetailsText({name, targetName, description, info.menuName,
                                              info.menuFolder, version, workingDir, arguments})
                             .c_str());
        }
    }
    store(key, info);
}

// A shortcut with arguments and no description may be one of several ways of
// starting the same program; such records wait in `pending` until the folder
// is walked, so that a name tied to one of them is not taken for the program's.
void SMScan::store(const std::string& key, ExeInfo info) {
    debugLog(log, 5, "SMScan: Storing \"%s\"...", key);
    if (found->count(key) != 0) {
        debugLog(log, 5, "SMScan: Not storing \"%s\". Already exists.", key);
        return;
    }
    if (!info.fileDescription.empty()) {
        info.menuName.clear();
        found->emplace(key, info);
        pending.erase(key);
    } else if (!info.arguments.empty()) {
        pending[key].push_back(info);
    } else {
        found->emplace(key, info);
        pending.erase(key);
    }
    debugLog(log, 5, "SMScan: \"%s\" has been stored.", key);
}

void SMScan::resolveRemaining() {
    debugLog(log, 5, "SMScan: Resolving remaining...");
    for (const auto& waiting : pending) {
        const std::vector<ExeInfo>& records = waiting.second;
        ExeInfo first = records.front();
        if (records.size() > 1) {
            bool sameFolder = true;
            for (const ExeInfo& other : records) sameFolder &= other.menuFolder == first.menuFolder;
            first.menuName.clear();
            if (!sameFolder) first.menuFolder.clear();
        }
        found->emplace(waiting.first, first);
    }
    debugLog(log, 5, "SMScan: Finished resolving.");
}

}  // namespace Velmar
