// Second process of the file-layer tests: one of several writers that append
// their own numbered lines to one file through FilePlain with the default
// flags, one update per line, trying again while another writer holds the lock.
// Under its claim each update also reads the file and checks that it is whole:
// every line complete and well formed, and this writer's earlier lines all there.
//
//   lock_writer <path> <writer> <lines>
//
// Line n (1 to <lines>) reads "writer <writer> line <n>".
// Exit codes: 2 wrong arguments, 3 an open, read, write or close failed (with
// another code than 18), 4 the file was torn or an earlier update of this
// writer was lost, 5 the lock stayed taken for too long.
#include "shared/library/common/Exception.h"
#include "shared/library/files/FilePlain.h"
#include "shared/library/common/WinApi.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kRetryPauseMs = 5;
constexpr DWORD kGiveUpAfterMs = 120000;
constexpr uint64_t kMaxFileBytes = 1 << 20;

std::string lineOf(int writer, int n) {
    return "writer " + std::to_string(writer) + " line " + std::to_string(n);
}

// Whole lines of the form lineOf() only, and lines 1 to `written` of this writer
// in their order.
bool isWhole(const std::string& text, int writer, int written) {
    if (!text.empty() && text.back() != '\n') return false;
    int next = 1;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t end = text.find('\n', pos);
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        int w = 0;
        int n = 0;
        char tail = 0;
        if (std::sscanf(line.c_str(), "writer %d line %d%c", &w, &n, &tail) != 2 ||
            line != lineOf(w, n)) {
            return false;
        }
        if (w == writer && n == next) ++next;
    }
    return next == written + 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: lock_writer <path> <writer> <lines>\n");
        return 2;
    }
    const std::string path = argv[1];
    const int writer = std::atoi(argv[2]);
    const int lines = std::atoi(argv[3]);
    const DWORD begin = ::GetTickCount();
    for (int n = 1; n <= lines;) {
        Velmar::FilePlain file(path);
        try {
            file.open(Velmar::FileBase::Read | Velmar::FileBase::Write | Velmar::FileBase::Append);
        } catch (const Velmar::FileException& e) {
            if (e.code() != Velmar::FileException::FL_IS_LOCKED) {
                std::fprintf(stderr, "open: %s\n", e.details().c_str());
                return 3;
            }
            if (::GetTickCount() - begin > kGiveUpAfterMs) return 5;
            ::Sleep(kRetryPauseMs);
            continue;
        }
        try {
            std::string text;
            file.seek(0, 0);
            file.readText(text, kMaxFileBytes);
            if (!isWhole(text, writer, n - 1)) {
                std::fprintf(stderr, "writer %d before line %d found:\n%s", writer, n,
                             text.c_str());
                file.discard();
                return 4;
            }
            file.writeLine(lineOf(writer, n));
            file.close();
        } catch (const Velmar::Exception& e) {
            std::fprintf(stderr, "update: %s\n", e.details().c_str());
            return 3;
        }
        ++n;
    }
    return 0;
}
