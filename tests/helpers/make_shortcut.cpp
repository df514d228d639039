// Saves a shortcut through the shell, as an installer would:
//   make_shortcut LINK TARGET
// Exit code 0 when saved, 1 on a usage error, 2 when the shell refuses.
#include "tests/support/ScanTestSupport.h"

#include <cstdio>
#include <stdexcept>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: make_shortcut LINK TARGET\n", stderr);
        return 1;
    }
    try {
        Velmar::testing::makeShortcut(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_shortcut: %s\n", e.what());
        return 2;
    }
    return 0;
}
