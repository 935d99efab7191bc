#include "tools/disctool/jolietread.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <utility>

#include "tools/disctool/codepage.h"

namespace disctool {
namespace {

constexpr std::uint64_t kSectorSize = 2048;
constexpr std::uint64_t kFirstDescriptor = 16;
// Volume descriptors looked at before giving up on a terminator.
constexpr std::uint64_t kMaxDescriptors = 64;
// A folder's records are a few sectors; a larger claim is taken for a damaged image.
constexpr std::uint64_t kMaxFolderBytes = 16u * 1024u * 1024u;
// Bytes of a directory record before its identifier.
constexpr std::size_t kRecordHead = 33;

std::uint32_t Little32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Reads count bytes at offset; false when the image ends before them.
bool ReadAt(int descriptor, std::uint64_t offset, std::size_t count,
            std::vector<std::uint8_t>* out) {
    out->assign(count, 0);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t read =
            pread(descriptor, out->data() + got, count - got, static_cast<off_t>(offset + got));
        if (read < 0 && errno == EINTR) continue;
        if (read <= 0) return false;
        got += static_cast<std::size_t>(read);
    }
    return true;
}

// A Joliet identifier (UCS-2, big-endian, surrogate pairs allowed) as UTF-8, without the
// version number (";1") that Windows does not show.
std::string JolietName(const std::uint8_t* bytes, std::size_t length) {
    std::string name;
    for (std::size_t at = 0; at + 1 < length; at += 2) {
        std::uint32_t code = static_cast<std::uint32_t>(bytes[at]) << 8 | bytes[at + 1];
        if (code >= 0xD800 && code <= 0xDBFF && at + 3 < length) {
            const std::uint32_t low =
                static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                at += 2;
            }
        }
        AppendUtf8(code, &name);
    }
    const std::size_t semicolon = name.rfind(';');
    if (semicolon != std::string::npos &&
        name.find_first_not_of("0123456789", semicolon + 1) == std::string::npos)
        name.resize(semicolon);
    return name;
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// A directory record's recording time: years since 1900, month, day, hour, minute, second,
// and the offset from UTC in quarter hours.
std::int64_t RecordingTime(const std::uint8_t* bytes) {
    const std::int64_t days = DaysFromCivil(1900 + bytes[0], bytes[1], bytes[2]);
    const auto offset = static_cast<std::int64_t>(static_cast<std::int8_t>(bytes[6]));
    return days * 86400 + bytes[3] * 3600 + bytes[4] * 60 + bytes[5] - offset * 900;
}

struct Folder {
    std::uint32_t extent;
    std::uint32_t bytes;
    std::string path;  // with a trailing '/' unless the root
    int depth;
};

// The root folder of the image's Joliet tree: that of the first supplementary volume
// descriptor whose escape sequence names UCS-2 (levels 1 to 3); empty when there is none.
std::optional<Folder> FindJolietRoot(int descriptor) {
    std::vector<std::uint8_t> sector;
    for (std::uint64_t n = kFirstDescriptor; n < kFirstDescriptor + kMaxDescriptors; ++n) {
        if (!ReadAt(descriptor, n * kSectorSize, kSectorSize, &sector) ||
            std::string(sector.begin() + 1, sector.begin() + 6) != "CD001" || sector[0] == 255)
            break;
        if (sector[0] == 2 && sector[88] == '%' && sector[89] == '/' &&
            (sector[90] == '@' || sector[90] == 'C' || sector[90] == 'E'))
            return Folder{Little32(&sector[156 + 2]), Little32(&sector[156 + 10]), "", 0};
    }
    return std::nullopt;
}

// Adds the records of one folder's data to *files (a file in several extents once, with their
// sizes summed) and its subfolders to *pending; false with *reason when a record does not fit.
bool ReadRecords(const std::vector<std::uint8_t>& data, const Folder& folder,
                 std::vector<ImageFile>* files, std::vector<Folder>* pending, std::string* reason) {
    bool continued = false;  // the last record was an extent of a larger file
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t length = data[at];
        if (length == 0) {  // records never cross a sector: the rest of it is padding
            at = (at / kSectorSize + 1) * kSectorSize;
            continue;
        }
        if (length < kRecordHead || data.size() - at < length ||
            kRecordHead + data[at + 32] > length) {
            *reason = "a record of the folder /" + folder.path + " does not fit the image";
            return false;
        }
        const std::uint8_t* record = &data[at];
        at += length;
        const std::uint8_t flags = record[25];
        const std::size_t nameLength = record[32];
        if (nameLength == 1 && record[kRecordHead] <= 1) continue;  // the folder, its parent
        const std::string name = JolietName(record + kRecordHead, nameLength);
        const std::uint32_t extent = Little32(record + 2);
        const std::uint32_t size = Little32(record + 10);
        if (flags & 0x02) {
            pending->push_back({extent, size, folder.path + name + "/", folder.depth + 1});
            continued = false;
            continue;
        }
        if (continued && !files->empty() && files->back().path == folder.path + name) {
            files->back().size += size;
        } else {
            files->push_back({folder.path + name, size, RecordingTime(record + 18)});
        }
        continued = (flags & 0x80) != 0;
    }
    return true;
}

}  // namespace

std::optional<std::vector<ImageFile>> ReadJolietTree(int descriptor, std::string* reason) {
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || status.st_size < 0) {
        *reason = "the image cannot be read";
        return std::nullopt;
    }
    const auto imageBytes = static_cast<std::uint64_t>(status.st_size);
    const std::optional<Folder> root = FindJolietRoot(descriptor);
    if (!root) {
        *reason = "the image has no Joliet tree";
        return std::nullopt;
    }
    std::vector<ImageFile> files;
    std::set<std::uint32_t> visited;
    std::vector<Folder> pending{*root};
    std::vector<std::uint8_t> data;
    while (!pending.empty()) {
        const Folder folder = std::move(pending.back());
        pending.pop_back();
        if (!visited.insert(folder.extent).second) continue;
        if (folder.depth > kMaxImageDepth || folder.bytes > kMaxFolderBytes ||
            folder.extent * kSectorSize + folder.bytes > imageBytes ||
            !ReadAt(descriptor, folder.extent * kSectorSize, folder.bytes, &data)) {
            *reason = "the folder /" + folder.path + " does not fit the image";
            return std::nullopt;
        }
        if (!ReadRecords(data, folder, &files, &pending, reason)) return std::nullopt;
    }
    return files;
}

}  // namespace disctool
