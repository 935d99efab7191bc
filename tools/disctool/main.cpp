// disctool: checks and prepares the pictures of a product disc with the same loaders the
// launcher uses; its commands are the tree of tools/disctool/commandtree.h.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/disctool/commandtree.h"

int main(int argc, char** argv) {
    const int status = disctool::Dispatch(disctool::kRoot, argc, argv);
    // A report that did not reach its reader (a full disk, a closed pipe) is a failure of the
    // command line's output, never a success.
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (!flushed || std::ferror(stdout)) {
        std::fprintf(stderr, "disctool: standard output: %s\n",
                     errno != 0 ? std::strerror(errno) : "a write failed");
        return disctool::kExitUsage;
    }
    return status;
}
