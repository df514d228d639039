// Portable rules of the Start-menu scan.
#include "scan/StartMenuRules.h"

#include "shared/library/files/FileUtils.h"

namespace Velmar {

namespace {
std::string quoted(const std::string& text) { return "\"" + text + "\""; }
}  // namespace

bool hasExtensionInAnyCase(const std::string& name, const char* lower) {
    std::string lowered = name;
    toLowerCase(lowered);
    return extension(lowered) == lower;
}

FolderVerdict judgeFolder(int links, int others) {
    if (links > others) return FolderVerdict::StartMenu;
    if ((links >= 2 && links < others) || (links < 2 && others < 5))
        return FolderVerdict::LookDeeper;
    return FolderVerdict::NotStartMenu;
}

std::string menuNameOf(const std::string& shortcutName) {
    size_t dot = shortcutName.rfind('.');
    return dot == std::string::npos ? shortcutName : shortcutName.substr(0, dot);
}

std::string shortcutDetailsText(const ShortcutDetails& d) {
    return "SMScan: Got the following data for " + quoted(d.shortcutName) + ": \n" +
           ">  Exename: " + quoted(d.exeName) + "\n" + ">  Description: " + quoted(d.description) +
           "\n" + ">  Menu name: " + quoted(d.menuName) + "\n" +
           ">  Menu folder: " + quoted(d.menuFolder) + "\n" + ">  Version: " + d.version + "\n" +
           ">  WDir: " + d.workingDir + "\n" + ">  Args: " + d.arguments;
}

}  // namespace Velmar
