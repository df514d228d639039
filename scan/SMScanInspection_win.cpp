// What one file is: a shortcut, an executable, a shortcut's target.
#include "scan/SMScan.h"

#include "scan/StartMenuRules.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/common/ComPtr.h"
#include "shared/library/common/WinApi.h"
#include "shared/library/system/Wow64.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

namespace Velmar {

namespace {

// The shell's text buffers: paths, arguments and working directories.
const int kShellText = MAX_PATH;
// The number reported when the shell-link object cannot be made.
const int kShellLinkFailure = 422;

// A shell text buffer read back: never longer than the buffer, even when the
// shell left it without its terminating zero.
std::string bufferText(const char* buffer) {
    return std::string(buffer, strnlen(buffer, kShellText));
}

}  // namespace

bool SMScan::isLink(const std::string& name) {
    debugLog(log, 5, "SMScan: Checking if \"%s\" is a link.", name);
    bool link = hasExtensionInAnyCase(name, "lnk");
    debugLog(log, 5, link ? "SMScan: \"%s\" is a link." : "SMScan: \"%s\" is not a link.", name);
    return link;
}

bool SMScan::isExe(const std::string& path) {
    debugLog(log, 5, "SMScan: Checking if \"%s\" is an exe-file...", path);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        debugLog(log, 5, "SMScan: \"%s\" is a network path, and will be ignored for now...", path);
        return false;
    }
    if (!hasExtensionInAnyCase(path, "exe")) {
        debugLog(log, 5, "SMScan: \"%s\" is not an exe-file.", path);
        return false;
    }
    // A 32-bit process on 64-bit Windows sees SysWOW64 under the system
    // folder's name; a program only the real system folder holds exists too.
    if (!inEitherSystemFolder([&] { return pathExists(path); })) {
        debugLog(log, 5, "SMScan: \"%s\" does not exist.", path);
        return false;
    }
    debugLog(log, 5, "SMScan: \"%s\" is an exe-file.", path);
    return true;
}

bool SMScan::readShortcut(const std::string& shortcut, std::string& target, std::string& targetName,
                          std::string& description, std::string& version, std::string& workingDir,
                          std::string& arguments) {
    debugLog(log, 5, "SMScan: Extracting data for \"%s\"...", shortcut);
    description.clear();
    version.clear();

    debugLog(log, 5, "SMScan: Creating IShellLink object...");
    ComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.put()))) {
        debugLog(log, 1, "SMScan: Failed to create IShellLink object. Code=%i.", kShellLinkFailure);
        return false;
    }

    // Every way out below releases both interfaces (their owners) and, except
    // for a target that is no executable, says that extraction has finished.
    bool result = false;
    bool rejected = false;
    [&] {
        debugLog(log, 5, "SMScan: Querying interface...");
        ComPtr<IPersistFile> file;
        if (FAILED(link->QueryInterface(IID_IPersistFile, file.put()))) return;

        // IPersistFile has no ANSI form.
        wchar_t widePath[kShellText];
        if (::MultiByteToWideChar(CP_ACP, 0, shortcut.c_str(), -1, widePath, kShellText) == 0) {
            return;  // too long for the buffer, or not convertible
        }
        debugLog(log, 5, "SMScan: Loading shortcut...");
        if (FAILED(file->Load(widePath, STGM_READ))) return;

        char buffer[kShellText] = {};
        if (FAILED(link->GetPath(buffer, kShellText, nullptr, 0))) return;
        target = bufferText(buffer);
        debugLog(log, 5, "SMScan: Got path \"%s\".", target);

        if (!isExe(target)) {
            debugLog(log, 4, "SMScan: \"%s\" is not an exe file.", target);
            rejected = true;
            return;
        }
        debugLog(log, 5, "SMScan: \"%s\" has been accepted as exe.", target);
        targetName = fileName(target);
        toLowerCase(targetName);

        buffer[0] = '\0';
        arguments = SUCCEEDED(link->GetArguments(buffer, kShellText)) ? bufferText(buffer) : "";
        buffer[0] = '\0';
        workingDir =
            SUCCEEDED(link->GetWorkingDirectory(buffer, kShellText)) ? bufferText(buffer) : "";

        // A target that only the real system folder holds is read from there.
        ExeInfo versionInfo;
        if (inEitherSystemFolder([&] { return readVersionInfo(versionInfo, target); })) {
            description = versionInfo.fileDescription;
            version = versionInfo.fileVersion;
        }
        debugLog(log, 5, "SMScan: Finished processing \"%s\".", target);
        result = true;
    }();

    if (!rejected) debugLog(log, 5, "SMScan: Finished extracting data for \"%s\".", shortcut);
    return result;
}

}  // namespace Velmar
