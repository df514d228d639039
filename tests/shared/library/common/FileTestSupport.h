// Small file helpers shared by the tests of the file layer against the real API.
#pragma once

#include "FileOps.h"
#include "WinHandle.h"

#include <fstream>
#include <iterator>
#include <string>

namespace Velmar {
namespace filetest {

inline bool exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The system's temporary directory, with its trailing backslash.
inline std::string tempRoot() {
    std::string root(MAX_PATH + 1, '\0');
    root.resize(::GetTempPathA(static_cast<DWORD>(root.size()), &root[0]));
    return root;
}

inline void removeTree(const std::string& dir) {
    for (const DirectoryEntry& e : listDirectory(dir, "*")) {
        if (e.name == "." || e.name == "..") continue;
        const std::string full = dir + "\\" + e.name;
        if (e.isDirectory) {
            removeTree(full);
        } else {
            deleteFile(full, true);
        }
    }
    ::RemoveDirectoryA(dir.c_str());
}

}  // namespace filetest
}  // namespace Velmar
