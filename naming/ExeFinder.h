// The name resolver: the application name of an executable from its version
// resource, the mapping rules and what the Start menus said, remembered per
// path for the rest of the run. The name "!" means: leave the executable out.
#pragma once

#include "naming/ApplicationMappings.h"
#include "scan/ExeInfo.h"
#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LoggerUnit.h"
#include "shared/library/common/win32/WinHandle.h"

#include <map>
#include <string>

namespace Velmar {

struct ModuleHandleTraits {
    using Handle = HMODULE;
    static Handle invalid() noexcept { return nullptr; }
    static bool isValid(Handle h) noexcept { return h != nullptr; }
    static bool close(Handle h) noexcept { return ::FreeLibrary(h) != 0; }
};

class ExeFinder {
public:
    // The name of an empty path.
    static const char kUndefinedName[];

    // Keeps `log` as the class-wide logger and looks up the WOW64 file-system
    // redirection functions (absent on systems without WOW64).
    explicit ExeFinder(const SmartPointer<LoggerUnit>& log);
    virtual ~ExeFinder();

    ExeFinder(const ExeFinder&) = delete;
    ExeFinder& operator=(const ExeFinder&) = delete;

    // Replaces the rules by a copy of `rules`.
    void setMappings(const ApplicationMappings& rules);

    // The application name of the executable at `path`; "!" to leave it out,
    // "[UNDEFINED]" for an empty path. The version resource of a path is read
    // once; later requests, in any letter case, are answered from memory.
    // WOW64 redirection is off for the calling thread during the lookup, so a
    // 32-bit process sees the real system folders.
    std::string getApplicationName(const std::string& path);

private:
    using DisableRedirection = BOOL(WINAPI*)(PVOID*);
    using RevertRedirection = BOOL(WINAPI*)(PVOID);

    std::map<std::string, ExeInfo> known;
    ApplicationMappings mappings;
    UniqueHandle<ModuleHandleTraits> kernel32;

    static SmartPointer<LoggerUnit> logger;
    static DisableRedirection disableRedirection;
    static RevertRedirection revertRedirection;
};

}  // namespace Velmar
