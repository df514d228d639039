#include "tests/support/WinTestSupport.h"

#include "shared/library/common/GrowAndRetry.h"
#include "shared/library/files/FileUtils.h"

#include <sddl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace Velmar {
namespace testing {

namespace {

std::atomic<unsigned> sandboxCounter{0};

// "<prefix>-<pid>-<n>": answers the pid, or 0 when the name is not of that form.
DWORD ownerOf(const std::string& name, const std::string& prefix) {
    if (name.compare(0, prefix.size() + 1, prefix + "-") != 0) return 0;
    return static_cast<DWORD>(std::strtoul(name.c_str() + prefix.size() + 1, nullptr, 10));
}

bool processRuns(DWORD pid) {
    if (pid == ::GetCurrentProcessId()) return true;
    UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!process) return false;
    return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

std::string uniqueName(const std::string& prefix) {
    return prefix + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
           std::to_string(sandboxCounter++);
}

// Whether the directory `made` at that time still belongs to the running
// process `pid`: a process that started after the directory was made got a
// reused id. The slack covers file systems that keep coarse creation times.
bool ownerRuns(DWORD pid, const FILETIME& made) {
    constexpr uint64_t kClockSlack = 2ULL * 10000000ULL;  // 2 s in 100 ns ticks
    UniqueKernelHandle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return pid == ::GetCurrentProcessId();
    if (::WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) return false;
    FILETIME started, exited, kernel, user;
    if (!::GetProcessTimes(process.get(), &started, &exited, &kernel, &user)) return true;
    auto ticks = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return ticks(started) <= ticks(made) + kClockSlack;
}

}  // namespace

std::string testProgramDir() {
    std::string full;
    if (!readSizedText(full, MAX_PATH, [](char* buffer, uint32_t size) {
            return ::GetModuleFileNameA(nullptr, buffer, size);
        })) {
        throw std::runtime_error("cannot name the test program");
    }
    return full.substr(0, full.find_last_of("\\/") + 1);
}

std::string lowered(std::string text) {
    toLowerCase(text);
    return text;
}

bool rawExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string claimLeft(const std::string& path) {
    std::string left;
    for (const char* suffix : {".lock", ".tmp"}) {
        if (rawExists(path + suffix)) left += (left.empty() ? "" : " ") + path + suffix;
    }
    return left;
}

std::string readFile(const std::string& path) {
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        throw std::runtime_error("cannot open " + path + ": error " + std::to_string(error));
    }
    std::string content;
    char buffer[4096];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr)) {
            const DWORD error = ::GetLastError();
            throw std::runtime_error("cannot read " + path + ": error " + std::to_string(error));
        }
        if (read == 0) return content;
        content.append(buffer, read);
    }
}

void writeFile(const std::string& path, const std::string& bytes) {
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        throw std::runtime_error("cannot create " + path + ": error " + std::to_string(error));
    }
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size()) {
        const DWORD error = ::GetLastError();
        throw std::runtime_error("cannot write " + path + ": error " + std::to_string(error));
    }
}

void copyFile(const std::string& from, const std::string& to) {
    if (!::CopyFileA(from.c_str(), to.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + from + " to " + to);
    }
}

bool removeTree(const std::string& dir) {
    std::string base = dir;
    while (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
    if (base.empty()) return false;
    WIN32_FIND_DATAA data;
    UniqueFindHandle find(::FindFirstFileA((base + "\\*").c_str(), &data));
    if (find) {
        do {
            // A name outside the code page comes as "?"s; its short name opens it.
            const bool lost = std::strchr(data.cFileName, '?') != nullptr;
            const std::string name = lost ? data.cAlternateFileName : data.cFileName;
            if (name.empty() || name == "." || name == "..") continue;
            const std::string full = base + "\\" + name;
            ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            // A junction is removed itself; what it points to is not ours.
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                removeTree(full);
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ::RemoveDirectoryA(full.c_str());
            } else {
                ::DeleteFileA(full.c_str());
            }
        } while (::FindNextFileA(find.get(), &data));
    }
    find.reset();
    ::SetFileAttributesA(base.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(base.c_str());
    return !rawExists(base);
}

namespace {

// Removes every key below the open `key`, each opened from its parent by its
// own name: a whole path may be longer than a root key lets open.
// By UTF-16 names: a key named outside the code page opens only so.
bool deleteSubKeys(HKEY key, REGSAM view) {
    for (;;) {
        wchar_t name[1024];
        DWORD length = sizeof(name) / sizeof(name[0]);
        if (::RegEnumKeyExW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            return true;
        }
        UniqueHKey child;
        if (::RegOpenKeyExW(key, name, 0, KEY_ALL_ACCESS | view, child.put()) != ERROR_SUCCESS ||
            !deleteSubKeys(child.get(), view)) {
            return false;
        }
        child.reset();
        if (::RegDeleteKeyExW(key, name, view, 0) != ERROR_SUCCESS) return false;
    }
}

}  // namespace

ProfileListEntry::ProfileListEntry(const std::string& sid, const std::string& profile)
    : path_("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid) {
    UniqueHKey entry;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, entry.put(),
                          nullptr) != ERROR_SUCCESS ||
        ::RegSetValueExA(entry.get(), "ProfileImagePath", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(profile.c_str()),
                         static_cast<DWORD>(profile.size() + 1)) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot make the profile list entry " + sid);
    }
}

ProfileListEntry::~ProfileListEntry() { deleteKeyTree(HKEY_LOCAL_MACHINE, path_, KEY_WOW64_64KEY); }

std::string processUserSid() {
    UniqueHandle<KernelHandleTraits> token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        throw std::runtime_error("cannot open the process token");
    }
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<char> buffer(size);
    char* text = nullptr;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        throw std::runtime_error("cannot read the process's user");
    }
    const std::string sid = text;
    ::LocalFree(text);
    return sid;
}

bool deleteKeyTree(HKEY root, const std::string& path, REGSAM view) {
    UniqueHKey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, key.put()) != ERROR_SUCCESS) {
        return true;
    }
    if (!deleteSubKeys(key.get(), view)) return false;
    key.reset();
    return ::RegDeleteKeyExA(root, path.c_str(), view, 0) == ERROR_SUCCESS;
}

namespace {

// A key below HKEY_LOCAL_MACHINE\Software lives in one of two views; a test may
// write the same path in both, so sweeps and removal look at both.
constexpr REGSAM kBothViews[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};

}  // namespace

ScratchKey::ScratchKey(const std::string& prefix, HKEY root, bool view32)
    : root_(root), view_(view32 ? KEY_WOW64_32KEY : 0) {
    for (const REGSAM view : kBothViews) {
        UniqueHKey software;
        if (::RegOpenKeyExA(root_, "Software", 0, KEY_ENUMERATE_SUB_KEYS | view, software.put()) !=
            ERROR_SUCCESS) {
            continue;
        }
        std::vector<std::string> stale;
        char name[1024];
        DWORD length = sizeof(name);
        for (DWORD i = 0; ::RegEnumKeyExA(software.get(), i, name, &length, nullptr, nullptr,
                                          nullptr, nullptr) == ERROR_SUCCESS;
             ++i, length = sizeof(name)) {
            const DWORD pid = ownerOf(name, prefix);
            if (pid != 0 && !processRuns(pid)) stale.push_back(name);
        }
        software.reset();
        for (const std::string& key : stale) deleteKeyTree(root_, "Software\\" + key, view);
    }
    path_ = "Software\\" + uniqueName(prefix);
    UniqueHKey created;
    if (::RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr,
                          created.put(), nullptr) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the scratch key " + path_);
    }
}

ScratchKey::~ScratchKey() {
    for (const REGSAM view : kBothViews) deleteKeyTree(root_, path_, view);
}

void ScratchKey::setBytes(const std::string& subKey, const std::string& name, DWORD type,
                          const void* data, DWORD size) const {
    // Created one component at a time from the scratch key, so that a sub-key
    // whose whole path is longer than a root key lets open can be written too.
    UniqueHKey key;
    bool made = ::RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_,
                                  nullptr, key.put(), nullptr) == ERROR_SUCCESS;
    for (size_t start = 0; made && !subKey.empty() && start <= subKey.size();) {
        const size_t end = std::min(subKey.find('\\', start), subKey.size());
        UniqueHKey child;
        made = ::RegCreateKeyExA(key.get(), subKey.substr(start, end - start).c_str(), 0, nullptr,
                                 0, KEY_ALL_ACCESS | view_, nullptr, child.put(),
                                 nullptr) == ERROR_SUCCESS;
        key = std::move(child);
        start = end + 1;
    }
    if (!made || ::RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                  size) != ERROR_SUCCESS) {
        throw std::runtime_error("cannot write " + (subKey.empty() ? path_ : sub(subKey)) + " " +
                                 name);
    }
}

void ScratchKey::setString(const std::string& subKey, const std::string& name,
                           const std::string& data, DWORD type) const {
    setBytes(subKey, name, type, data.c_str(), static_cast<DWORD>(data.size() + 1));
}

ScratchDir::ScratchDir(const std::string& prefix, const std::string& parent) {
    std::string base = parent;
    if (base.empty() && !readSizedText(base, MAX_PATH + 1, [](char* buffer, uint32_t size) {
            return ::GetTempPathA(size, buffer);
        })) {
        throw std::runtime_error("cannot find the temporary directory");
    }
    if (base.empty() || base.back() != '\\') base += "\\";
    WIN32_FIND_DATAA data;
    std::vector<std::string> stale;
    {
        UniqueFindHandle find(::FindFirstFileA((base + prefix + "-*").c_str(), &data));
        if (find) {
            do {
                const DWORD pid = ownerOf(data.cFileName, prefix);
                if (pid != 0 && !ownerRuns(pid, data.ftCreationTime)) {
                    stale.push_back(data.cFileName);
                }
            } while (::FindNextFileA(find.get(), &data));
        }
    }
    for (const std::string& dir : stale) removeTree(base + dir);
    path_ = base + uniqueName(prefix) + "\\";
    if (!::CreateDirectoryA(path_.c_str(), nullptr)) {
        throw std::runtime_error("cannot create the scratch directory " + path_);
    }
}

ScratchDir::~ScratchDir() { removeTree(path_); }

std::string ScratchDir::makeDir(const std::string& relative) const {
    std::string path = path_;
    size_t start = 0;
    while (start < relative.size()) {
        size_t end = relative.find('\\', start);
        if (end == std::string::npos) end = relative.size();
        path += relative.substr(start, end - start) + "\\";
        ::CreateDirectoryA(path.c_str(), nullptr);
        start = end + 1;
    }
    return path;
}

std::string ScratchDir::makeFile(const std::string& relative, const std::string& content) const {
    const size_t slash = relative.find_last_of('\\');
    if (slash != std::string::npos) makeDir(relative.substr(0, slash));
    const std::string path = path_ + relative;
    writeFile(path, content);
    return path;
}

std::string environmentBlock(const std::vector<std::string>& removed,
                             const std::map<std::string, std::string>& extra) {
    std::string block;
    const UniqueEnvironmentStrings strings(::GetEnvironmentStringsA());
    if (!strings) throw std::runtime_error("cannot read the environment");
    for (const char* entry = strings.get(); *entry != '\0'; entry += std::strlen(entry) + 1) {
        const std::string text = entry;
        // Entries such as "=C:=C:\" name the current directory of a drive.
        const size_t equals = text.find('=', 1);
        const std::string name = lowered(text.substr(0, equals));
        bool drop = false;
        for (const std::string& r : removed) drop = drop || name == lowered(r);
        for (const auto& e : extra) drop = drop || name == lowered(e.first);
        if (!drop) block += text + '\0';
    }
    for (const auto& e : extra) block += e.first + "=" + e.second + '\0';
    block += '\0';
    return block;
}

ChildProcess::ChildProcess(const std::string& exe, const std::string& arguments,
                           const std::string& environment, const std::string& workingDir) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    UniqueFileHandle childIn;
    UniqueFileHandle childOut;
    if (!::CreatePipe(childIn.put(), input_.put(), &inherit, 0)) throw std::runtime_error("pipe");
    if (!::CreatePipe(output_.put(), childOut.put(), &inherit, 0)) {
        throw std::runtime_error("pipe");
    }
    ::SetHandleInformation(input_.get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(output_.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn.get();
    startup.hStdOutput = childOut.get();
    startup.hStdError = childOut.get();
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\" " + arguments;
    std::string env = environment;
    const BOOL started = ::CreateProcessA(
        exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, env.empty() ? nullptr : &env[0],
        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info);
    const DWORD error = ::GetLastError();
    const UniqueKernelHandle thread(info.hThread);
    process_.reset(info.hProcess);
    if (!started) {
        throw std::runtime_error("cannot start " + exe + ": error " + std::to_string(error));
    }
}

ChildProcess::~ChildProcess() {
    input_.reset();
    if (process_ && ::WaitForSingleObject(process_.get(), 10000) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 99);
    }
}

bool ChildProcess::readByte(char& c) {
    DWORD read = 0;
    return ::ReadFile(output_.get(), &c, 1, &read, nullptr) && read == 1;
}

std::string ChildProcess::readLine() {
    std::string line;
    char c;
    while (readByte(c) && c != '\n') line += c;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::string ChildProcess::readAll() {
    std::string all;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(output_.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        all.append(buffer, read);
    }
    return all;
}

void ChildProcess::closeInput() { input_.reset(); }

bool ChildProcess::ended(uint32_t waitMs) {
    return ::WaitForSingleObject(process_.get(), waitMs) == WAIT_OBJECT_0;
}

uint32_t ChildProcess::wait(uint32_t limitMs) {
    DWORD code = STILL_ACTIVE;
    if (ended(limitMs)) ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

RunResult runProgram(const std::string& exe, const std::string& arguments,
                     const std::string& environment, const std::string& workingDir) {
    ChildProcess child(exe, arguments, environment, workingDir);
    child.closeInput();
    std::string output = child.readAll();
    return {child.wait(), output};
}

}  // namespace testing
}  // namespace Velmar
