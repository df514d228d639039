// How an executable is named: the mapping rules first, then its version
// resource, its Start-menu name and folder, and last its file name.
#pragma once

#include "naming/ApplicationMappings.h"
#include "scan/ExeInfo.h"
#include "shared/library/common/Log.h"

#include <string>

namespace Velmar {

// The name that leaves an executable out of the inventory.
inline constexpr char kIgnoredName[] = "!";

// Sets info.appName, starting from the name it already holds; may replace an
// unprintable productName or fileDescription by the base name (exeFile without
// extension, lower case). Run again on its own result it decides the same name.
// Writes level-5 debug texts through `log`.
void decideName(ExeInfo& info, const ApplicationMappings& mappings, Log& log);

// Cuts a trailing "application file" or "application" (any letter case) and
// the blanks before it, unless the text is nothing but that word; a text
// without any ASCII letter becomes empty.
void cleanName(std::string& name);

// True when every byte is a tab, line feed, carriage return or in 32..126.
bool isPrintable(const std::string& text);

}  // namespace Velmar
