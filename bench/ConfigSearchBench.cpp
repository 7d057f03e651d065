// config_search_bench: the time the stub needs to find its configuration block
// when the block lies at the very end of the searched window, against one
// plain read of the same bytes (a sum over them as 64-bit words). Both run on
// the same buffer in memory, alternately; the medians and their ratio are
// printed. Times are the thread's processor time, so that other work on a
// busy machine does not stretch one side more than the other.
//
//   config_search_bench [--runs N] [--check]
//
// With --check the exit code is 1 when the ratio is above 2.
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "sfx/ConfigBlock.h"

namespace {

double ThreadMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Pseudo-random stub bytes (fixed seed) with the block placed so that its end
// marker begins at the last position the search accepts.
std::vector<std::uint8_t> MakeWindow(std::size_t& blockBegin, std::size_t& blockSize) {
    std::vector<std::uint8_t> window(sfx::kConfigScanLimit);
    std::mt19937 random(2026);
    for (std::size_t i = 0; i + 4 <= window.size(); i += 4) {
        const std::uint32_t word = random();
        std::memcpy(window.data() + i, &word, 4);
    }
    const auto start = sfx::BuildStartMarker();
    const auto end = sfx::BuildEndMarker();
    blockSize = 16 + 64;  // IV and four AES blocks
    const std::size_t endMarker = window.size() - sfx::kConfigScanMargin - 1;
    blockBegin = endMarker - blockSize;
    std::copy(start.begin(), start.end(), window.begin() + static_cast<std::ptrdiff_t>(blockBegin - start.size()));
    std::copy(end.begin(), end.end(), window.begin() + static_cast<std::ptrdiff_t>(endMarker));
    return window;
}

std::uint64_t PlainRead(const std::uint8_t* data, std::size_t size) {
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        sum += word;
    }
    return sum;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 31;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--check") {
            check = true;
        } else {
            std::fprintf(stderr, "usage: config_search_bench [--runs N] [--check]\n");
            return 2;
        }
    }

    std::size_t blockBegin = 0;
    std::size_t blockSize = 0;
    const std::vector<std::uint8_t> window = MakeWindow(blockBegin, blockSize);
    std::vector<double> searchMs, readMs;
    volatile std::uint64_t sink = 0;
    for (int run = 0; run < runs; ++run) {
        const double t0 = ThreadMs();
        const auto found = sfx::FindConfigBlock(window.data(), window.size());
        const double t1 = ThreadMs();
        sink = sink + PlainRead(window.data(), window.size());
        const double t2 = ThreadMs();
        if (!found || found->begin != blockBegin || found->size != blockSize) {
            std::fprintf(stderr, "config_search_bench: the block was not found where it lies\n");
            return 2;
        }
        searchMs.push_back(t1 - t0);
        readMs.push_back(t2 - t1);
    }
    const double search = Median(searchMs);
    const double read = Median(readMs);
    const double ratio = search / read;
    std::printf("window %zu bytes, block at the end, %d runs each\n", window.size(), runs);
    std::printf("find block   median %8.3f ms (processor time)\n", search);
    std::printf("plain read   median %8.3f ms (processor time)\n", read);
    std::printf("ratio find / read = %.2f (target <= 2)\n", ratio);
    return check && ratio > 2 ? 1 : 0;
}
