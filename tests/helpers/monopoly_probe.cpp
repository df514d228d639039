// Second process for the lock tests.
//   monopoly_probe try NAME   exit code 0 when a named lock NAME could be taken
//                             (it is given back before the end), 1 when refused
//   monopoly_probe hold NAME  takes the lock, prints "held" or "refused", then
//                             keeps it until its standard input ends; exits
//                             without giving it back
#include "shared/library/common/Monopoly.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    Velmar::Monopoly lock(argv[2]);
    if (std::strcmp(argv[1], "try") == 0) {
        if (!lock.enforce()) return 1;
        lock.relax();
        return 0;
    }
    if (std::strcmp(argv[1], "hold") == 0) {
        const bool held = lock.enforce();
        std::printf(held ? "held\n" : "refused\n");
        std::fflush(stdout);
        char buffer[64];
        while (std::fread(buffer, 1, sizeof(buffer), stdin) > 0) {
        }
        // Ends with the lock still taken: the system closes the handle.
        std::_Exit(held ? 0 : 1);
    }
    return 2;
}
