// Loads the administrator's naming rules, "components/appmapping.conf" in the
// configuration directory, into the name resolver.
#pragma once

#include "naming/ExeFinder.h"
#include "shared/library/config/ConfReader.h"
#include "shared/library/common/Log.h"
#include "shared/library/common/SmartPointer.h"

#include <string>

namespace Velmar {

// The second parameter of AppMessage::kMappingSyntax.
extern const char kIllegalBraceText[];

// Takes the configuration directory from the key "Velmar.directories.conf" of
// `conf`, then loads as below. Without it the finder keeps its rules (a debug
// text says so).
void loadApplicationMappings(const SmartPointer<ConfReader>& conf, ExeFinder& finder, Log& log);

// With the configuration directory `confDir` (ending with a separator) already
// read: reads its mapping file and hands the rules to `finder`. A missing file
// leaves the finder's rules alone (a debug text says so); an illegal "{" logs
// the catalogue message and discards every rule of the file. Errors of the
// file layer are FileExceptions and pass to the caller.
void loadApplicationMappingsFrom(const std::string& confDir, ExeFinder& finder, Log& log);

}  // namespace Velmar
