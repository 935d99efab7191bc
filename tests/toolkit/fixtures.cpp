#include "tests/toolkit/fixtures.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fixtures {
namespace {

// One temporary folder per test process, removed at exit.
class TempFolder {
public:
    TempFolder() {
        std::error_code ec;
        auto base = std::filesystem::temp_directory_path(ec);
        if (ec) base = std::filesystem::current_path();
        for (int i = 0; i < 1000; ++i) {
            auto candidate =
                base / ("toolkit-tests-" + std::to_string(Unique()) + "-" + std::to_string(i));
            if (std::filesystem::create_directory(candidate, ec)) {
                m_path = candidate;
                break;
            }
        }
    }
    ~TempFolder() {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    static unsigned long long Unique() {
        return static_cast<unsigned long long>(
            std::filesystem::file_time_type::clock::now().time_since_epoch().count());
    }
    std::filesystem::path m_path;
};

TempFolder& Folder() {
    static TempFolder folder;
    return folder;
}

}  // namespace

std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
    static std::atomic<int> counter{0};
    auto dir = Folder().Path() / std::to_string(counter++);
    std::filesystem::create_directories(dir);
    auto path = dir / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

void PutTag(Bytes& out, const char* fourCharacters) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(fourCharacters[i]));
}

void PutBytes(Bytes& out, std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

std::uint32_t Hash(const std::uint8_t* data, std::size_t size) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= data[i];
        h *= 16777619u;
    }
    return h;
}

}  // namespace fixtures
