// A file written whole or not at all: created exclusively beside its destination (mkstemp:
// never through a planted link, never over a file that is there) and renamed into place.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/disctool/interrupt.h"

namespace disctool {

// A new file beside its destination that becomes the destination only on Commit; when the
// object goes away uncommitted, or the program is interrupted (interrupt.h), the temporary file
// is removed.
class StagedFile {
public:
    explicit StagedFile(const char* destination) : m_destination(destination) {}
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile() {
        if (m_stream != nullptr) std::fclose(m_stream);
        if (!m_temporaryName.empty()) {
            unlink(m_temporaryName.c_str());
            ForgetOnInterrupt(m_temporaryName.c_str());
        }
    }

    // Creates the temporary file; returns an empty string or why it could not be made.
    std::string Open() {
        std::vector<char> name(m_destination.begin(), m_destination.end());
        const char suffix[] = ".XXXXXX";
        name.insert(name.end(), suffix, suffix + sizeof suffix);
        const int descriptor = mkstemp(name.data());
        if (descriptor < 0) return ErrnoText("cannot create a temporary file");
        m_temporaryName = name.data();
        if (!RemoveOnInterrupt(m_temporaryName.c_str())) {
            close(descriptor);
            unlink(m_temporaryName.c_str());
            m_temporaryName.clear();
            return "too many files written at once";
        }
        // mkstemp makes the file private; the result gets the usual permissions instead.
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor, static_cast<mode_t>(0666) & ~mask);
        m_stream = fdopen(descriptor, "wb");
        if (m_stream == nullptr) {
            close(descriptor);
            return ErrnoText("cannot write the temporary file");
        }
        return {};
    }

    std::FILE* Stream() const { return m_stream; }

    // Flushes and closes the temporary file and renames it to the destination. Returns an
    // empty string or why the destination was not written.
    std::string Commit() {
        std::FILE* stream = m_stream;
        m_stream = nullptr;
        bool written =
            std::fflush(stream) == 0 && std::ferror(stream) == 0 && fsync(fileno(stream)) == 0;
        int error = errno;
        if (std::fclose(stream) != 0 && written) {
            written = false;
            error = errno;
        }
        if (!written) {
            errno = error;
            return ErrnoText("cannot write the file");
        }
        if (std::rename(m_temporaryName.c_str(), m_destination.c_str()) != 0) {
            return ErrnoText("cannot replace the file");
        }
        ForgetOnInterrupt(m_temporaryName.c_str());
        m_temporaryName.clear();
        return {};
    }

private:
    static std::string ErrnoText(const char* what) {
        return std::string(what) + ": " + std::strerror(errno);
    }

    std::string m_destination;
    std::string m_temporaryName;
    std::FILE* m_stream = nullptr;
};

}  // namespace disctool
