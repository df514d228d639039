// The program's entry point: a hidden top-level window, so that the process
// takes part in session end, and one inventory scan.
#include "app/Stocksweep2.h"
#include "shared/library/common/WinApi.h"

#include <string>

namespace {

const char kWindowClass[] = "GenericAppClass";
const char kWindowMenu[] = "GenericAppMenu";
const char kWindowTitle[] = "Stocksweep";

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;

// No message loop runs; messages arrive only while a called function pumps them.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        case WM_QUERYENDSESSION: return TRUE;  // the session may end
        case WM_QUIT: return 0;
        default: return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName = kWindowMenu;
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassA(&windowClass);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int /*show*/) {
    if (previous == nullptr) registerWindowClass(instance);
    // Never shown; without a display the creation fails, and nothing depends on it.
    ::CreateWindowA(kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, 0, 0,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);

    bool ok = false;
    try {
        Velmar::Stocksweep2 application(commandLine != nullptr ? commandLine : "");
        ok = application.init() && application.run();
    } catch (...) {
        // A failure that no layer reported ends the run as a failed one, not
        // as an abort of the process.
        ok = false;
    }
    return ok ? kExitSuccess : kExitFailure;
}
