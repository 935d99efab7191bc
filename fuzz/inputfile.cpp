#include "inputfile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {

class InputFile {
public:
    InputFile()
    {
#if defined(__linux__)
        fd_ = memfd_create("fuzz-input", 0);
        if (fd_ >= 0) {
            path_ = "/proc/self/fd/" + std::to_string(fd_);
            return;
        }
#endif
        const char* dirs[] = {"/dev/shm", std::getenv("TMPDIR"), "/tmp"};
        for (const char* dir : dirs) {
            if (dir == nullptr) continue;
            std::string name = std::string(dir) + "/fuzz-input-XXXXXX";
            fd_ = mkstemp(name.data());
            if (fd_ >= 0) {
                path_ = name;
                named_ = true;
                return;
            }
        }
        std::fprintf(stderr, "fuzz: cannot make an input file\n");
        std::abort();
    }
    ~InputFile()
    {
        if (named_) unlink(path_.c_str());
        close(fd_);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const char* Write(const std::uint8_t* data, std::size_t size)
    {
        if (ftruncate(fd_, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
        return path_.c_str();
    }

private:
    int fd_ = -1;
    bool named_ = false;
    std::string path_;
};

}  // namespace

const char* fuzz::InputPath(const std::uint8_t* data, std::size_t size)
{
    static InputFile file;
    return file.Write(data, size);
}
