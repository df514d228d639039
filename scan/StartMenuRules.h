// The rules of the Start-menu scan that need no file system: which names are
// shortcuts and executables, when a profile folder counts as a Start menu,
// and the detail text of one shortcut.
#pragma once

#include <string>

namespace Velmar {

// Whether the extension of `name` is `lower` (three lower-case letters) in
// any letter case: "Notepad.Exe" has the extension "exe".
bool hasExtensionInAnyCase(const std::string& name, const char* lower);

// What the file counts of one profile subfolder say about it.
enum class FolderVerdict {
    StartMenu,   // shortcuts outnumber the other files
    LookDeeper,  // few files: count the subfolders' files too, one after the other
    NotStartMenu,
};

// `links`: files whose extension is exactly "lnk"; `others`: every other file.
FolderVerdict judgeFolder(int links, int others);

// The shortcut's name without its extension (a name without "." stays whole).
std::string menuNameOf(const std::string& shortcutName);

struct ShortcutDetails {
    std::string shortcutName, exeName, description, menuName, menuFolder, version, workingDir,
        arguments;
};

// The eight-line debug text of one shortcut read with details; lines end in
// a line feed, except the last.
std::string shortcutDetailsText(const ShortcutDetails& details);

}  // namespace Velmar
