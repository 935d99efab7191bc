// Times the toolkit's loader on picture files of any origin (chosen by extension: .PCX,
// .LBM, .WIZ), for the side-by-side with other decoders in bench/peers.sh.
// Usage: bench_loadtime FILE...   Prints per file: name, size, best Mpixel/s.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "toolkit/picload.h"

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        const char* reason = nullptr;
        RawPicture* picture = PICTURE_Load(argv[i], &reason);
        if (picture == nullptr) {
            std::printf("%s: not loaded (%s)\n", argv[i], reason != nullptr ? reason : "?");
            status = 1;
            continue;
        }
        const double pixels = static_cast<double>(picture->bitmap->width) * picture->bitmap->height;
        std::printf("%s: %dx%d", argv[i], picture->bitmap->width, picture->bitmap->height);
        RAWPICT_Free(picture);
        // The best of repeated loads over at least one second and five loads.
        double best = 1e30;
        int runs = 0;
        const Clock::time_point start = Clock::now();
        while (runs < 5 || Clock::now() - start < std::chrono::seconds(1)) {
            const Clock::time_point t0 = Clock::now();
            RawPicture* p = PICTURE_Load(argv[i], nullptr);
            const double s = std::chrono::duration<double>(Clock::now() - t0).count();
            RAWPICT_Free(p);
            best = std::min(best, s);
            ++runs;
        }
        std::printf("  ours %.1f Mpixel/s (%d loads)\n", pixels / best / 1e6, runs);
    }
    return status;
}
