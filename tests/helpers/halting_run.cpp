// stocksweep.exe as the program runs it, with one difference: its data file
// ends the process right after the first record is written, as a run killed
// at session end or by a power cut would end. Run with the program's command
// line; exits with code 3 when it halted.
#include "app/DataFileWin.h"
#include "app/Stocksweep2.h"
#include "shared/library/common/WinApi.h"

#include <string>

namespace {

constexpr UINT kHaltedExitCode = 3;

class HaltingFile : public Velmar::DataFileWin {
public:
    bool write(const std::string& bytes) override {
        Velmar::DataFileWin::write(bytes);
        ::ExitProcess(kHaltedExitCode);
    }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    HaltingFile file;
    Velmar::Stocksweep2 application(std::string("dummy") + (commandLine != nullptr ? commandLine : ""));
    application.useDataFile(file);
    return application.init() && application.run() ? 0 : 1;
}
