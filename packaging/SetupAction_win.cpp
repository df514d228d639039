// Custom actions of the Windows Installer packages, in a DLL that the package
// carries and the installer calls. The configuration directory (ending in a
// separator) is the property CONFIGDIR for the immediate action and the
// CustomActionData of the deferred ones.
//
//   SaveConfiguration   (immediate) on an upgrade, before the older version is
//                       removed: moves stocksweep.conf and components\appmapping.conf
//                       aside to "<name>.upgrade", out of reach of the older
//                       version's removal.
//   PlaceConfiguration  after the files are installed: puts each file moved aside
//                       back; makes a missing one from the shipped defaults
//                       (stocksweep.conf then names the directory it lies in);
//                       leaves an existing one alone.
//   RemoveConfiguration on removal: deletes the two files, edited or not.
#include "shared/library/common/WinApi.h"
#include "shared/library/common/WinHandle.h"

#include <msi.h>
#include <msiquery.h>

#include <string>

#include "packaging/ConfSetup.h"

namespace {

using Velmar::FileHandleTraits;
using File = Velmar::UniqueHandle<FileHandleTraits>;

const char kAsideSuffix[] = ".upgrade";

// The property's value; empty when it is unset or cannot be read.
std::string property(MSIHANDLE install, const char* name) {
    char empty[1] = "";
    DWORD length = 0;
    if (MsiGetPropertyA(install, name, empty, &length) != ERROR_MORE_DATA) return std::string();
    std::string data(length + 1, '\0');
    length = static_cast<DWORD>(data.size());
    if (MsiGetPropertyA(install, name, &data[0], &length) != ERROR_SUCCESS) return std::string();
    data.resize(length);
    return data;
}

// A line in the installer's log.
void note(MSIHANDLE install, const std::string& text) {
    PMSIHANDLE record = MsiCreateRecord(0);
    MsiRecordSetStringA(record, 0, ("Stocksweep setup: " + text).c_str());
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool readAll(const std::string& path, std::string& text) {
    File file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    std::string read;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
        if (got == 0) {
            text = read;
            return true;
        }
        read.append(buffer, got);
    }
    return false;
}

// Written beside the target and moved over it, so that a failed write leaves no
// half-written file behind.
bool writeAll(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    bool written = false;
    {
        File file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD count = 0;
        written =
            WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &count, nullptr) &&
            count == text.size() && file.reset();
    }
    if (!written || !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

extern "C" __declspec(dllexport) UINT __stdcall SaveConfiguration(MSIHANDLE install) {
    const std::string confDir = property(install, "CONFIGDIR");
    if (confDir.empty()) return ERROR_SUCCESS;
    for (const char* name : setup::kEditableFiles) {
        const std::string target = confDir + name;
        if (!exists(target)) continue;
        if (!MoveFileExA(target.c_str(), (target + kAsideSuffix).c_str(),
                         MOVEFILE_REPLACE_EXISTING)) {
            note(install, "cannot move aside " + target);
            return ERROR_INSTALL_FAILURE;
        }
        note(install, "moved aside " + target);
    }
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall PlaceConfiguration(MSIHANDLE install) {
    const std::string confDir = property(install, "CustomActionData");
    if (confDir.empty()) {
        note(install, "no configuration directory given");
        return ERROR_INSTALL_FAILURE;
    }
    for (const char* name : setup::kEditableFiles) {
        const std::string target = confDir + name;
        if (exists(target)) {
            note(install, "keeping " + target);
            continue;
        }
        const std::string aside = target + kAsideSuffix;
        if (exists(aside)) {
            if (!MoveFileExA(aside.c_str(), target.c_str(), 0)) {
                note(install, "cannot put back " + target);
                return ERROR_INSTALL_FAILURE;
            }
            note(install, "put back " + target);
            continue;
        }
        std::string text;
        const std::string source = confDir + setup::kDefaultsFolder + name;
        if (!readAll(source, text)) {
            note(install, "cannot read " + source);
            return ERROR_INSTALL_FAILURE;
        }
        if (target == confDir + setup::kEditableFiles[0] &&
            !setup::withConfDir(text, confDir, text)) {
            note(install, source + " names no configuration directory");
            return ERROR_INSTALL_FAILURE;
        }
        if (!writeAll(target, text)) {
            note(install, "cannot write " + target);
            return ERROR_INSTALL_FAILURE;
        }
        note(install, "wrote " + target);
    }
    return ERROR_SUCCESS;
}

extern "C" __declspec(dllexport) UINT __stdcall RemoveConfiguration(MSIHANDLE install) {
    const std::string confDir = property(install, "CustomActionData");
    if (confDir.empty()) return ERROR_SUCCESS;
    for (const char* name : setup::kEditableFiles) {
        const std::string target = confDir + name;
        // A file that cannot be deleted stays; the removal itself goes on.
        if (exists(target) && !DeleteFileA(target.c_str())) {
            note(install, "cannot delete " + target);
        }
    }
    return ERROR_SUCCESS;
}
