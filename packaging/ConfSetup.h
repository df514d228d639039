#pragma once
// The installation's own configuration files. The package ships the defaults of
// stocksweep.conf and components\appmapping.conf in the configuration directory's
// "Defaults" folder; at install time the live files are made from them where
// none exist yet, so an administrator's files outlive an upgrade.

#include <string>

namespace setup {

// The files an administrator may edit, relative to the configuration directory.
extern const char* const kEditableFiles[2];
// Where the package puts their shipped versions, below the configuration directory.
extern const char kDefaultsFolder[];

// The text of a stocksweep.conf for a configuration directory: `text` with the
// value of its entry "conf (DirName)" replaced by `confDir` (written without a
// trailing separator, backslashes doubled as the format wants). False when the
// text holds no such entry, or more than one; `out` is then left alone.
bool withConfDir(const std::string& text, const std::string& confDir, std::string& out);

}  // namespace setup
