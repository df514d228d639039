// Shared set-up of the scanner and resolver tests: COM for the test thread,
// the profiles directory, shortcuts saved through the shell, the helper
// executables that carry version resources, and a record as one text.
#pragma once

#include "scan/ExeInfo.h"

#include <string>

namespace Velmar {

// The tests' access to the scanner's own inspection operations.
struct SMScanProbe {
    // The outputs as "<target>|<target name>|<description>|<version>|<working
    // directory>|<arguments>".
    static bool readShortcut(const std::string& path, std::string& outputs);
};

namespace testing {

// Makes sure a scanner has initialised COM on this thread (the first COM
// initialisation of a thread must be a scanner's, or no scanner would run on it).
void ensureScannerCom();

// The host's profiles directory, without a trailing separator.
std::string profilesDirectory();

// Saves a shortcut to `target` through IShellLinkA and IPersistFile::Save.
// Throws std::runtime_error when the shell refuses.
void makeShortcut(const std::string& path, const std::string& target,
                  const std::string& arguments = "", const std::string& workingDir = "");

// The path of a helper executable built next to the test program ("ver_blanks").
std::string helperExe(const std::string& name);

// The nine fields joined by "|", in their declared order.
std::string recordText(const ExeInfo& info);

}  // namespace testing
}  // namespace Velmar
