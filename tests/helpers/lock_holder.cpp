// Second process of the file-layer tests: opens a file for writing through
// FilePlain with the default flags (so it holds the ".lock" claim), writes one
// line, creates the ready marker, and keeps the file open until its standard
// input reaches its end. Then it closes the file and exits with 0.
//
//   lock_holder <path> <ready-marker>
//
// Exit codes: 2 wrong arguments, 3 the open or the write failed, 4 the marker
// could not be made, 5 the close failed.
#include "shared/library/common/Exception.h"
#include "shared/library/files/FilePlain.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lock_holder <path> <ready-marker>\n");
        return 2;
    }
    Velmar::FilePlain file(argv[1]);
    try {
        file.open(Velmar::FileBase::Write);
        file.writeLine("held by helper");
    } catch (const Velmar::Exception& e) {
        std::fprintf(stderr, "%s\n", e.details().c_str());
        return 3;
    }
    std::FILE* marker = std::fopen(argv[2], "wb");
    if (marker == nullptr || std::fclose(marker) != 0) return 4;
    while (std::fgetc(stdin) != EOF) {
    }
    try {
        file.close();
    } catch (const Velmar::Exception& e) {
        std::fprintf(stderr, "%s\n", e.details().c_str());
        return 5;
    }
    return 0;
}
