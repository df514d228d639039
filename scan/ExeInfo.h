// What is known about one executable: from a Start-menu shortcut, from its
// version resource and, last, the application name decided for it. Records
// are copied by value and never shared.
#pragma once

#include <string>

namespace Velmar {

struct ExeInfo {
    std::string exeFile;          // file name with extension, no directory
    std::string menuName;         // the shortcut's file name without its extension
    std::string productName;      // version resource "ProductName"
    std::string fileDescription;  // version resource "FileDescription"
    std::string workingDir;       // the shortcut's working directory
    std::string arguments;        // the shortcut's command-line arguments
    std::string menuFolder;       // last component of the folder holding the shortcut
    std::string fileVersion;      // version resource "FileVersion"
    std::string appName;          // the name decided by the resolver
};

}  // namespace Velmar
