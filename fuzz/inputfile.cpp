#include "fuzz/inputfile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

namespace {

class InputFile {
public:
    InputFile() {
#if defined(__linux__)
        m_fd = memfd_create("fuzz-input", 0);
        if (m_fd >= 0) {
            m_path = "/proc/self/fd/" + std::to_string(m_fd);
            return;
        }
#endif
        const char* dirs[] = {"/dev/shm", std::getenv("TMPDIR"), "/tmp"};
        for (const char* dir : dirs) {
            if (dir == nullptr) continue;
            std::string name = std::string(dir) + "/fuzz-input-XXXXXX";
            m_fd = mkstemp(name.data());
            if (m_fd >= 0) {
                m_path = name;
                m_named = true;
                return;
            }
        }
        std::fprintf(stderr, "fuzz: cannot make an input file\n");
        std::abort();
    }
    ~InputFile() {
        if (m_named) unlink(m_path.c_str());
        close(m_fd);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const char* Write(const std::uint8_t* data, std::size_t size) {
        if (ftruncate(m_fd, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < size) {
            ssize_t n = pwrite(m_fd, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
        return m_path.c_str();
    }

private:
    int m_fd = -1;
    bool m_named = false;
    std::string m_path;
};

}  // namespace

const char* fuzz::InputPath(const std::uint8_t* data, std::size_t size) {
    static InputFile file;
    return file.Write(data, size);
}
