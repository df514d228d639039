// Sandboxes and second processes for the tests of the Windows layer: a scratch
// registry key under HKEY_CURRENT_USER\Software, a scratch directory with raw
// file helpers, and a helper program run with a chosen environment, working
// directory and pipes.
#pragma once

#include "shared/library/common/WinHandle.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Velmar {
namespace testing {

// The directory of the running test program, with a trailing backslash.
std::string testProgramDir();

// A key "Software\<prefix>-<pid>-<n>" below `root`, created at construction in
// the given view and removed with everything below it, in both registry views,
// at destruction. Keys of the same prefix left in either view by processes that
// no longer run are removed first.
class ScratchKey {
public:
    explicit ScratchKey(const std::string& prefix, HKEY root = HKEY_CURRENT_USER,
                        bool view32 = false);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    const std::string& path() const { return path_; }
    std::string sub(const std::string& name) const { return path_ + "\\" + name; }
    HKEY root() const { return root_; }

    // Raw writers that bypass the code under test.
    void setString(const std::string& subKey, const std::string& name, const std::string& data,
                   DWORD type = REG_SZ) const;
    void setBytes(const std::string& subKey, const std::string& name, DWORD type, const void* data,
                  DWORD size) const;

private:
    HKEY root_;
    REGSAM view_;
    std::string path_;
};

// An entry of the system's profile list (the key <sid> of ProfileList below
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion) naming
// `profile` as the user's folder, made at construction and removed at
// destruction.
class ProfileListEntry {
public:
    ProfileListEntry(const std::string& sid, const std::string& profile);
    ~ProfileListEntry();
    ProfileListEntry(const ProfileListEntry&) = delete;
    ProfileListEntry& operator=(const ProfileListEntry&) = delete;

private:
    std::string path_;
};

// The string form of the SID of the user this process runs as.
std::string processUserSid();

// Removes a key and everything below it in the given view; true when it is gone.
bool deleteKeyTree(HKEY root, const std::string& path, REGSAM view);

// The text lower-cased (A-Z only), as the program lower-cases.
std::string lowered(std::string text);

// File helpers that bypass the code under test: plain CreateFileA, ReadFile,
// WriteFile and FindFirstFileA, so that a fault in the file layer cannot hide
// itself in the test's own set-up or checks. Files are opened sharing read,
// write and delete, so they can be looked at while the code under test holds them.

// True when a file or directory exists at `path`.
bool rawExists(const std::string& path);
// The paths of the ".lock" claim and the ".tmp" copy of `path` that are on
// disk, joined by " "; "" when neither is.
std::string claimLeft(const std::string& path);
// The whole content of a file, byte for byte. Throws std::runtime_error when
// the file cannot be opened or read, so that a missing file never reads as empty.
std::string readFile(const std::string& path);
// Creates or replaces the file with exactly `bytes`. Throws std::runtime_error on failure.
void writeFile(const std::string& path, const std::string& bytes);
// Copies a file over any file at `to`. Throws std::runtime_error on failure.
void copyFile(const std::string& from, const std::string& to);
// Removes a directory (given with or without its trailing separator) and
// everything below it, read-only files and directories included. True when it is gone.
bool removeTree(const std::string& dir);

// A directory "<parent>\<prefix>-<pid>-<n>\" (the parent defaults to the
// temporary directory) made at construction, removed with
// its contents at destruction. Leftovers of the same prefix are removed first
// when the process named in them no longer runs, or runs but started after the
// directory was made (its id was reused), so parallel runs keep their own.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix, const std::string& parent = "");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }  // with a trailing backslash
    std::string dir() const { return path_.substr(0, path_.size() - 1); }  // without it
    // Removes the directory now (the destructor then has nothing left to do);
    // true when it is gone.
    bool remove() const { return removeTree(path_); }
    // Creates the directory (and its parents) below the scratch directory.
    std::string makeDir(const std::string& relative) const;
    std::string makeFile(const std::string& relative, const std::string& content = "") const;

private:
    std::string path_;
};

// The current environment without the named variables (matched ignoring case),
// with `extra` added: a block for CreateProcessA.
std::string environmentBlock(const std::vector<std::string>& removed,
                             const std::map<std::string, std::string>& extra);

// A second process with its standard input and output on pipes.
class ChildProcess {
public:
    // Starts `exe` with the arguments (already quoted as needed). An empty
    // environment block inherits this process's environment; an empty working
    // directory inherits this process's. Throws std::runtime_error on failure.
    ChildProcess(const std::string& exe, const std::string& arguments,
                 const std::string& environment = "", const std::string& workingDir = "");
    ~ChildProcess();

    // One line of output without its line end; "" at the end of the output.
    std::string readLine();
    // Everything up to the end of the output.
    std::string readAll();
    // Closes the child's standard input (a waiting helper then ends).
    void closeInput();
    // Whether the process ends within `waitMs`.
    bool ended(uint32_t waitMs);
    // Waits for the end, at most `limitMs`, and answers the exit code
    // (STILL_ACTIVE when it did not end in time).
    uint32_t wait(uint32_t limitMs = INFINITE);

private:
    bool readByte(char& c);

    UniqueKernelHandle process_;
    UniqueFileHandle input_;
    UniqueFileHandle output_;
};

// Runs a program to its end: exit code and standard output.
struct RunResult {
    uint32_t exitCode;
    std::string output;
};
RunResult runProgram(const std::string& exe, const std::string& arguments,
                     const std::string& environment = "", const std::string& workingDir = "");

}  // namespace testing
}  // namespace Velmar
