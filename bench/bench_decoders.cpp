// Benchmarks of the toolkit's decoders on synthetic pictures, each beside a reference line
// measured in the same run (memset for fills, memcpy for literals and loaders), followed by
// a table of ratios against the goals.
//
//   bench_decoders [--benchmark_filter=...] [other Google Benchmark flags]
//   bench_decoders --write-pictures=DIR    writes the loader benchmark's files and exits
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <stdexcept>
#include <vector>

#include <unistd.h>

#include "toolkit/pcxloadr.h"
#include "tests/support/picenc.h"
#include "toolkit/rawbitm.h"
#include "toolkit/tooliff.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBig = 4096;
constexpr int kWindow = 64;

struct BitmapDeleter {
    void operator()(RawBitmap* b) const { RAWBITM_Free(b); }
};
using BitmapPtr = std::unique_ptr<RawBitmap, BitmapDeleter>;

struct PictureDeleter {
    void operator()(RawPicture* p) const { RAWPICT_Free(p); }
};
using PicturePtr = std::unique_ptr<RawPicture, PictureDeleter>;

using Loader = RawPicture* (*)(const char*, const char**);

// One file the loader benchmarks read.
struct LoadCase {
    std::string name;      // e.g. "ilbm8-byterun1/640x480"
    std::string fileName;  // e.g. "mixed-640x480-byterun1.lbm"
    Loader loader;
    int size;  // index into Fixtures::mixed
    picenc::Bytes bytes;
};

struct Fixtures {
    picenc::Picture flat;   // fill-heavy, 4096 x 4096
    picenc::Picture noise;  // literal-heavy, 4096 x 4096
    picenc::Bytes flatLines;
    picenc::Bytes noiseLines;
    std::vector<picenc::Picture> mixed;  // 640 x 480 and 4096 x 4096
    std::vector<LoadCase> loads;
};

Fixtures& GetFixtures() {
    static Fixtures f = [] {
        Fixtures x;
        x.flat = picenc::MakePicture(kBig, kBig, picenc::Content::Flat);
        x.noise = picenc::MakePicture(kBig, kBig, picenc::Content::Noise);
        x.flatLines = picenc::RleLines(x.flat);
        x.noiseLines = picenc::RleLines(x.noise);
        x.mixed.push_back(picenc::MakePicture(640, 480, picenc::Content::Mixed));
        x.mixed.push_back(picenc::MakePicture(kBig, kBig, picenc::Content::Mixed));
        for (int i = 0; i < 2; ++i) {
            const picenc::Picture& p = x.mixed[static_cast<std::size_t>(i)];
            const std::string size = std::to_string(p.width) + "x" + std::to_string(p.height);
            const std::string stem = "mixed-" + size;
            x.loads.push_back({"pcx/" + size, stem + ".pcx", &PCX_Load, i, picenc::Pcx(p)});
            x.loads.push_back({"ilbm8-byterun1/" + size, stem + "-ilbm8-byterun1.lbm", &IFF_Load, i,
                               picenc::Ilbm(p, 8, true)});
            x.loads.push_back({"ilbm8-plain/" + size, stem + "-ilbm8-plain.lbm", &IFF_Load, i,
                               picenc::Ilbm(p, 8, false)});
            x.loads.push_back({"pbm-byterun1/" + size, stem + "-pbm-byterun1.lbm", &IFF_Load, i,
                               picenc::Pbm(p, true)});
            x.loads.push_back({"pbm-plain/" + size, stem + "-pbm-plain.lbm", &IFF_Load, i,
                               picenc::Pbm(p, false)});
        }
        return x;
    }();
    return f;
}

void WriteFile(const fs::path& path, const picenc::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The folder of the loader benchmark's files: in /dev/shm (memory) when there is one,
// else in the current folder, where the first read warms the page cache.
fs::path WorkDir() {
    static fs::path dir = [] {
        const std::string name = "launcher-bench-" + std::to_string(getpid());
        std::error_code ec;
        fs::path d = fs::path("/dev/shm") / name;
        if (!fs::create_directory(d, ec)) {
            d = fs::current_path() / name;
            fs::create_directories(d);
        }
        return d;
    }();
    return dir;
}

std::string SizeName(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

void SetPixelCounters(benchmark::State& state, std::int64_t pixelsPerIteration) {
    const double pixels =
        static_cast<double>(state.iterations()) * static_cast<double>(pixelsPerIteration);
    state.SetBytesProcessed(state.iterations() * pixelsPerIteration);
    state.counters["Mpixel/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
}

// --- Reference lines -------------------------------------------------------------------

void BenchMemset(benchmark::State& state, int w, int h) {
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<std::uint8_t> dst(n, 1);
    int v = 0;
    for (auto _ : state) {
        std::memset(dst.data(), v++ & 0xFF, n);
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, static_cast<std::int64_t>(n));
}

void BenchMemcpy(benchmark::State& state, int w, int h) {
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<std::uint8_t> src(n, 2);
    std::vector<std::uint8_t> dst(n, 1);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), n);
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, static_cast<std::int64_t>(n));
}

// --- Run-length decoding ---------------------------------------------------------------

bool SameArea(const RawBitmap* bitmap, const picenc::Picture& picture, int left, int top) {
    for (int y = 0; y < bitmap->height; ++y)
        if (std::memcmp(
                bitmap->pixels + static_cast<std::ptrdiff_t>(y) * bitmap->width,
                picture.pixels.data() + static_cast<std::ptrdiff_t>(top + y) * picture.width + left,
                static_cast<std::size_t>(bitmap->width)) != 0)
            return false;
    return true;
}

void BenchRleWhole(benchmark::State& state, const picenc::Picture* picture,
                   const picenc::Bytes* lines) {
    BitmapPtr bitmap(RAWBITM_Create(picture->width, picture->height));
    auto draw = [&] {
        RAWBITM_DrawPacked(bitmap.get(), lines->data(), lines->size(), picture->width,
                           picture->height, 0, 0, nullptr, nullptr);
    };
    draw();
    if (!SameArea(bitmap.get(), *picture, 0, 0)) {
        state.SkipWithError("decoded pixels differ from the picture");
        return;
    }
    for (auto _ : state) {
        draw();
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, static_cast<std::int64_t>(picture->width) * picture->height);
}

// A 64 x 64 window in the middle of the picture, or at the bottom right (corner): the most
// lines to skip and the most codes to pass on each line before the window starts.
void BenchRleWindow(benchmark::State& state, const picenc::Picture* picture,
                    const picenc::Bytes* lines, bool corner) {
    BitmapPtr bitmap(RAWBITM_Create(kWindow, kWindow));
    const int left = corner ? picture->width - kWindow : (picture->width - kWindow) / 2;
    const int top = corner ? picture->height - kWindow : (picture->height - kWindow) / 2;
    ToolRect window;
    RECT_Set(&window, left, top, left + kWindow - 1, top + kWindow - 1);
    auto draw = [&] {
        RAWBITM_DrawPacked(bitmap.get(), lines->data(), lines->size(), picture->width,
                           picture->height, 0, 0, &window, nullptr);
    };
    draw();
    if (!SameArea(bitmap.get(), *picture, window.left, window.top)) {
        state.SkipWithError("decoded window differs from the picture");
        return;
    }
    for (auto _ : state) {
        draw();
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state, kWindow * kWindow);
}

// --- Loaders ---------------------------------------------------------------------------

void BenchLoad(benchmark::State& state, const LoadCase* c) {
    const picenc::Picture& expected = GetFixtures().mixed[static_cast<std::size_t>(c->size)];
    const fs::path path = WorkDir() / c->fileName;
    WriteFile(path, c->bytes);
    const char* reason = nullptr;
    PicturePtr first(c->loader(path.c_str(), &reason));
    if (!first) {
        state.SkipWithError((std::string("load failed: ") + (reason ? reason : "?")).c_str());
        return;
    }
    const RawBitmap* b = first->bitmap;
    if (b->width != expected.width || b->height != expected.height ||
        !SameArea(b, expected, 0, 0) || first->palette == nullptr ||
        std::memcmp(first->palette->rgb, expected.palette.data(), 768) != 0) {
        state.SkipWithError("loaded picture differs from the one written");
        return;
    }
    first.reset();
    for (auto _ : state) {
        PicturePtr p(c->loader(path.c_str(), nullptr));
        benchmark::DoNotOptimize(p.get());
    }
    SetPixelCounters(state, static_cast<std::int64_t>(expected.width) * expected.height);
    state.counters["file_MiB"] = static_cast<double>(c->bytes.size()) / (1024.0 * 1024.0);
}

// --- Ratio table -----------------------------------------------------------------------

// Keeps the console output and remembers each benchmark's best seconds per iteration (the
// least disturbed of its repetitions, when --benchmark_repetitions is given).
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    explicit RecordingReporter(OutputOptions options) : ConsoleReporter(options) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                const double s = run.real_accumulated_time / static_cast<double>(run.iterations);
                auto [it, added] = m_seconds.emplace(run.benchmark_name(), s);
                if (!added && s < it->second) it->second = s;
            }
        ConsoleReporter::ReportRuns(runs);
    }
    // Seconds per iteration of name, or 0 when it did not run.
    double Seconds(const std::string& name) const {
        auto it = m_seconds.find(name);
        return it == m_seconds.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> m_seconds;
};

void PrintRatios(const RecordingReporter& r) {
    const std::string big = SizeName(kBig, kBig);
    std::printf("\nRatios measured in this run (goal in brackets):\n");
    auto line = [](const char* what, double value, const char* goal, bool met) {
        std::printf("  %-52s %8.3f  [%s] %s\n", what, value, goal, met ? "met" : "MISSED");
    };
    auto speedRatio = [&](const std::string& ours, const std::string& reference) {
        const double a = r.Seconds(ours);
        const double b = r.Seconds(reference);
        return a > 0 && b > 0 ? b / a : -1.0;
    };
    auto timeRatio = [&](const std::string& part, const std::string& whole) {
        const double a = r.Seconds(part);
        const double b = r.Seconds(whole);
        return a > 0 && b > 0 ? a / b : -1.0;
    };
    double v = speedRatio("rle_fill/" + big, "memset/" + big);
    if (v >= 0) line("RLE fill-heavy / memset bandwidth", v, ">= 0.20", v >= 0.20);
    v = speedRatio("rle_literal/" + big, "memcpy/" + big);
    if (v >= 0) line("RLE literal-heavy / memcpy bandwidth", v, ">= 0.40", v >= 0.40);
    for (const char* kind : {"fill", "literal"})
        for (const char* where : {"window64", "window64-corner"}) {
            const std::string base = std::string("m_rle") + kind + "/";
            v = timeRatio(base + where, base + big);
            const std::string what =
                std::string("RLE ") + where + " / whole picture, " + kind + "-heavy (time)";
            if (v >= 0) line(what.c_str(), v, "< 0.02", v < 0.02);
        }

    // Loader speeds against memcpy of the same picture, and against the peers' figures
    // for a 4096 x 4096 picture recorded in bench/README.md (bench/peers.sh measures them
    // side by side).
    struct Peer {
        const char* name;
        double mpixels;  // the fastest peer, Mpixel/s
        double factor;   // the goal: at least factor x the peer
    };
    const std::map<std::string, Peer> peers = {
        {"pcx", {"Pillow 825 Mpixel/s", 825.0, 1.5}},
        {"ilbm8-byterun1", {"SDL2_image 127 Mpixel/s", 127.0, 3.0}},
        {"ilbm8-plain", {"SDL2_image 167 Mpixel/s", 167.0, 3.0}},
        {"pbm-byterun1", {"SDL2_image 1263 Mpixel/s", 1263.0, 1.0}},
        {"pbm-plain", {"SDL2_image 1263 Mpixel/s", 1263.0, 1.0}},
    };
    std::printf("\nLoaders (Mpixel/s; x memcpy of the same picture; goal against the peer):\n");
    for (const LoadCase& c : GetFixtures().loads) {
        const double s = r.Seconds(c.name);
        if (s <= 0) continue;
        const picenc::Picture& p = GetFixtures().mixed[static_cast<std::size_t>(c.size)];
        const double mpix = static_cast<double>(p.width) * p.height / s / 1e6;
        const double ref = speedRatio(c.name, "memcpy/" + SizeName(p.width, p.height));
        std::printf("  %-30s %9.1f Mpixel/s  %6.3f x memcpy", c.name.c_str(), mpix, ref);
        const std::string format = c.name.substr(0, c.name.find('/'));
        if (p.width == kBig && peers.count(format) != 0) {
            const Peer& peer = peers.at(format);
            const double goal = peer.mpixels * peer.factor;
            std::printf("  goal >= %.0f (%.1f x %s): %s", goal, peer.factor, peer.name,
                        mpix >= goal ? "met" : "MISSED");
        }
        std::printf("\n");
    }
}

void RegisterAll() {
    Fixtures& f = GetFixtures();
    for (int i = 0; i < 2; ++i) {
        const int w = i == 0 ? 640 : kBig;
        const int h = i == 0 ? 480 : kBig;
        benchmark::RegisterBenchmark(("memset/" + SizeName(w, h)).c_str(), BenchMemset, w, h);
        benchmark::RegisterBenchmark(("memcpy/" + SizeName(w, h)).c_str(), BenchMemcpy, w, h);
    }
    const std::string big = SizeName(kBig, kBig);
    benchmark::RegisterBenchmark(("rle_fill/" + big).c_str(), BenchRleWhole, &f.flat, &f.flatLines);
    benchmark::RegisterBenchmark("rle_fill/window64", BenchRleWindow, &f.flat, &f.flatLines, false);
    benchmark::RegisterBenchmark("rle_fill/window64-corner", BenchRleWindow, &f.flat, &f.flatLines,
                                 true);
    benchmark::RegisterBenchmark(("rle_literal/" + big).c_str(), BenchRleWhole, &f.noise,
                                 &f.noiseLines);
    benchmark::RegisterBenchmark("rle_literal/window64", BenchRleWindow, &f.noise, &f.noiseLines,
                                 false);
    benchmark::RegisterBenchmark("rle_literal/window64-corner", BenchRleWindow, &f.noise,
                                 &f.noiseLines, true);
    for (const LoadCase& c : f.loads)
        benchmark::RegisterBenchmark(c.name.c_str(), BenchLoad, &c)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string writeFlag = "--write-pictures=";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], writeFlag.c_str(), writeFlag.size()) == 0) {
            const fs::path dir = argv[i] + writeFlag.size();
            fs::create_directories(dir);
            for (const LoadCase& c : GetFixtures().loads) {
                WriteFile(dir / c.fileName, c.bytes);
                std::printf("%s\n", (dir / c.fileName).c_str());
            }
            return 0;
        }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    // Colours only on a terminal, so that redirected output stays plain text.
    RecordingReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_Defaults
                                                     : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(WorkDir(), ec);
    return 0;
}
