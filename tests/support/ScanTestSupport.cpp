#include "tests/support/ScanTestSupport.h"

#include "scan/SMScan.h"
#include "shared/library/files/FileUtils.h"
#include "shared/library/common/ComPtr.h"
#include "tests/support/WinTestSupport.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <userenv.h>

#include <stdexcept>

namespace Velmar {

bool SMScanProbe::readShortcut(const std::string& path, std::string& outputs) {
    std::string target, name, description, version, workingDir, arguments;
    bool ok = SMScan::readShortcut(path, target, name, description, version, workingDir, arguments);
    outputs = target + "|" + name + "|" + description + "|" + version + "|" + workingDir + "|" +
              arguments;
    return ok;
}

namespace testing {

void ensureScannerCom() { static SMScan first; }

std::string profilesDirectory() {
    char buffer[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (::GetProfilesDirectoryA(buffer, &size) == 0)
        throw std::runtime_error("no profiles directory");
    return buffer;
}

void makeShortcut(const std::string& path, const std::string& target, const std::string& arguments,
                  const std::string& workingDir) {
    ensureScannerCom();
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    wchar_t wide[MAX_PATH];
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.put())) ||
        FAILED(link->SetPath(target.c_str())) ||
        (!arguments.empty() && FAILED(link->SetArguments(arguments.c_str()))) ||
        (!workingDir.empty() && FAILED(link->SetWorkingDirectory(workingDir.c_str()))) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.put())) ||
        ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0 ||
        FAILED(file->Save(wide, TRUE))) {
        throw std::runtime_error("cannot save the shortcut " + path);
    }
}

std::string helperExe(const std::string& name) { return testProgramDir() + name + ".exe"; }

std::string recordText(const ExeInfo& i) {
    return i.exeFile + "|" + i.menuName + "|" + i.productName + "|" + i.fileDescription + "|" +
           i.workingDir + "|" + i.arguments + "|" + i.menuFolder + "|" + i.fileVersion + "|" +
           i.appName;
}

}  // namespace testing
}  // namespace Velmar
