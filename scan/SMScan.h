// The Start-menu scanner: finds the Start menus of every user profile on the
// host, walks them, and turns every shortcut that leads to an existing local
// executable into an ExeInfo record keyed by the executable's path.
//
// It initialises COM on the thread that builds it (once per thread, never
// undone) and runs only on such a thread. Everything it does is reported as
// debug texts through the class-wide logger; no operation throws.
#pragma once

#include "scan/ExeInfo.h"
#include "shared/library/common/SmartPointer.h"
#include "shared/library/logger/LoggerUnit.h"
#include "shared/library/logger/LoggerUnitLog.h"

#include <map>
#include <string>
#include <vector>

namespace Velmar {

class SMScan {
public:
    // Executable key (the target path, lower-cased A-Z) to its record.
    using ExeMap = std::map<std::string, ExeInfo>;

    // Initialises COM for this thread unless a scanner did already, then
    // collects the Start menus. Failure leaves no Start menus.
    SMScan();
    virtual ~SMScan();

    SMScan(const SMScan&) = delete;
    SMScan& operator=(const SMScan&) = delete;

    // Walks every Start menu and adds records to `found` (a key already there
    // is never replaced). False, without doing anything, on a thread where no
    // scanner initialised COM, or when no Start menu was found.
    bool scan(ExeMap& found, bool withDetails);

    // The Start menus to walk, each with a trailing separator, in walking order.
    const std::vector<std::string>& startMenuPaths() const { return startMenus; }

    // Fills productName, fileDescription and fileVersion from the version
    // resource of `path`; false (the record untouched) when there is none or
    // it holds no description or product name in any language tried. Never throws.
    static bool readVersionInfo(ExeInfo& info, const std::string& path);

    // The class-wide logger of every scanner; empty until set.
    static void setLogger(const SmartPointer<LoggerUnit>& handle);
    static void clearLogger();

private:
    friend struct SMScanProbe;  // the tests' access to the inspection operations

    void findStartMenus(const std::string& profilesDir);
    void addCurrentStartMenus(const std::string& profilesDir);
    static void countFiles(const std::string& dir, int& links, int& others);
    bool walk(const std::string& dir);
    void processShortcut(const std::string& dir, const std::string& name);
    void store(const std::string& key, ExeInfo info);
    void resolveRemaining();

    // True for a name whose extension is "lnk" in any letter case.
    static bool isLink(const std::string& name);
    // True for an existing local file whose extension is "exe" in any letter case.
    static bool isExe(const std::string& path);
    // Reads the shortcut; true when it names an existing executable. The
    // outputs are meaningful only then; description and version are empty
    // when the target has no usable version resource.
    static bool readShortcut(const std::string& shortcut, std::string& target,
                             std::string& targetName, std::string& description,
                             std::string& version, std::string& workingDir, std::string& arguments);

    std::vector<std::string> startMenus;
    std::map<std::string, std::vector<ExeInfo>> pending;
    ExeMap* found = nullptr;
    bool withDetails = false;

    static SmartPointer<LoggerUnit> logger;
    // Writes through `logger` while it holds a unit.
    static LoggerUnitLog log;
};

}  // namespace Velmar
