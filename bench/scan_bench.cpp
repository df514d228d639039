// Cost of the Start-menu scan and of naming executables.
//
//   scan_bench [SHORTCUTS]     (default 300)
//
// 1. readVersionInfo over every executable of the Windows directory and its
//    system folder: microseconds per file.
// 2. ExeFinder::getApplicationName over the same paths: the first pass reads
//    each version resource, the second answers from memory.
// 3. A profile of its own under the profiles directory with one Start menu of
//    SHORTCUTS shortcuts to those executables, in folders of 20: the scanner's
//    construction (finding the Start menus of every profile) and one scan
//    without details, in milliseconds. The profile is removed at the end.
//
// Nothing logs: the class-wide loggers stay empty.
#include "naming/ExeFinder.h"
#include "scan/SMScan.h"
#include "shared/library/files/FileOps.h"
#include "shared/library/common/ComPtr.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <userenv.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace Velmar;

constexpr long kDefaultShortcuts = 300;
constexpr long kShortcutsPerFolder = 20;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void addExecutables(const std::string& dir, std::vector<std::string>& paths) {
    for (const DirectoryEntry& entry : listDirectory(dir, "*.exe")) {
        if (!entry.isDirectory) paths.push_back(dir + entry.name);
    }
}

bool saveShortcut(const std::string& path, const std::string& target) {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    wchar_t wide[MAX_PATH];
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IShellLinkA, link.put())) &&
           SUCCEEDED(link->SetPath(target.c_str())) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.put())) &&
           ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) != 0 &&
           SUCCEEDED(file->Save(wide, TRUE));
}

void removeTree(const std::string& dir) {
    for (const DirectoryEntry& entry : listDirectory(dir, "*")) {
        if (entry.name == "." || entry.name == "..") continue;
        if (entry.isDirectory) {
            removeTree(dir + entry.name + "\\");
        } else {
            ::DeleteFileA((dir + entry.name).c_str());
        }
    }
    ::RemoveDirectoryA(dir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const long shortcuts = argc > 1 ? std::strtol(argv[1], nullptr, 10) : kDefaultShortcuts;
    char windows[MAX_PATH] = {};
    char system[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    ::GetSystemDirectoryA(system, MAX_PATH);
    std::vector<std::string> exes;
    addExecutables(std::string(windows) + "\\", exes);
    addExecutables(std::string(system) + "\\", exes);
    if (exes.empty()) {
        std::printf("no executables found\n");
        return 1;
    }

    auto start = Clock::now();
    int described = 0;
    for (const std::string& path : exes) {
        ExeInfo info;
        described += SMScan::readVersionInfo(info, path);
    }
    double seconds = secondsSince(start);
    std::printf("readVersionInfo: %zu files (%d described), %.1f us per file\n", exes.size(),
                described, seconds * 1e6 / exes.size());

    {
        ExeFinder finder{SmartPointer<LoggerUnit>()};
        for (int pass = 1; pass <= 2; ++pass) {
            start = Clock::now();
            for (const std::string& path : exes) finder.getApplicationName(path);
            seconds = secondsSince(start);
            std::printf("getApplicationName pass %d: %.2f us per path\n", pass,
                        seconds * 1e6 / exes.size());
        }
    }

    SMScan first;  // COM for this thread
    char profiles[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    ::GetProfilesDirectoryA(profiles, &size);
    const std::string profile =
        std::string(profiles) + "\\ssweep-bench-" + std::to_string(::GetCurrentProcessId()) + "\\";
    const std::string menu = profile + "Start Menu\\";
    ::CreateDirectoryA(profile.c_str(), nullptr);
    ::CreateDirectoryA(menu.c_str(), nullptr);
    long made = 0;
    for (long i = 0; i < shortcuts; ++i) {
        const std::string folder =
            menu + "Folder " + std::to_string(i / kShortcutsPerFolder) + "\\";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        made += saveShortcut(folder + "Link " + std::to_string(i) + ".lnk", exes[i % exes.size()]);
    }
    // Shortcuts directly in the folder, so that the counting rule takes it.
    made += saveShortcut(menu + "Top.lnk", exes[0]);

    start = Clock::now();
    SMScan scanner;
    const double construction = secondsSince(start);
    SMScan::ExeMap found;
    start = Clock::now();
    scanner.scan(found, false);
    seconds = secondsSince(start);
    std::printf(
        "SMScan: %zu Start menus found in %.1f ms; %ld shortcuts scanned in %.1f ms "
        "(%.2f ms per shortcut), %zu executables\n",
        scanner.startMenuPaths().size(), construction * 1e3, made, seconds * 1e3,
        seconds * 1e3 / (made ? made : 1), found.size());
    removeTree(profile);
    return 0;
}
