// Second process for the directory resolution tests: resolves the process-wide
// values in its own environment and working directory and prints them, one
// "name=value" per line. With the argument "hive=NAME" the registry hive is
// selected first. Then, for the argument "write=NAME=TEXT", writes the suite
// value NAME and prints "write(NAME)=<code>"; for "read=NAME", reads it and
// prints "read(NAME)=<code>:<text>".
#include "shared/library/system/Wow64.h"
#include "shared/library/system/SystemInfo.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("hive=", 0) == 0) Velmar::selectHive(argument.substr(5));
    }
    Velmar::initSystemInfo();
    std::printf("programName=%s\n", Velmar::programName().c_str());
    std::printf("programDir=%s\n", Velmar::programDir().c_str());
    std::printf("moduleType=%s\n", Velmar::moduleType().c_str());
    std::printf("installDir=%s\n", Velmar::installDir().c_str());
    std::printf("configDir=%s\n", Velmar::configDir().c_str());
    for (const char* word : {"", "Client", "Server", "Resources"}) {
        std::printf("suiteKeyPath(%s)=%s\n", word, Velmar::suiteKeyPath(word).c_str());
    }
    std::printf("isWow64=%d\n", Velmar::isWow64() ? 1 : 0);
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("write=", 0) == 0) {
            const size_t equals = argument.find('=', 6);
            const std::string name = argument.substr(6, equals - 6);
            const std::string text = equals == std::string::npos ? "" : argument.substr(equals + 1);
            std::printf("write(%s)=%u\n", name.c_str(), Velmar::writeSuiteString(name, text));
        } else if (argument.rfind("read=", 0) == 0) {
            const std::string name = argument.substr(5);
            std::string text;
            const unsigned code = Velmar::readSuiteValue(name, text);
            std::printf("read(%s)=%u:%s\n", name.c_str(), code, text.c_str());
        }
    }
    return 0;
}
